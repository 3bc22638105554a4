#include "ui/frmAbout/qt_system_access.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace mq::ui {

#ifdef Q_OS_WIN

bool QtSystemAccess::hasRegistry() const
{
    return true;
}

std::optional<SystemAccess::KeyHandle> QtSystemAccess::openKey(KeyRoot, const std::string& keyName)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS)
        return std::nullopt;
    return reinterpret_cast<KeyHandle>(hKey);
}

bool QtSystemAccess::queryValue(KeyHandle key, const std::string& valueName, unsigned long& type, std::string& buffer,
                                std::size_t& size)
{
    DWORD t = 0;
    DWORD n = static_cast<DWORD>(buffer.size());
    const LONG rc = RegQueryValueExA(reinterpret_cast<HKEY>(key), valueName.c_str(), nullptr, &t,
                                     reinterpret_cast<BYTE*>(buffer.data()), &n);
    if (rc != ERROR_SUCCESS)
        return false;
    type = t;
    size = n;
    return true;
}

void QtSystemAccess::closeKey(KeyHandle key)
{
    RegCloseKey(reinterpret_cast<HKEY>(key));
}

#else

// No registry here: the base class answers that every key is missing.
bool QtSystemAccess::hasRegistry() const
{
    return false;
}
std::optional<SystemAccess::KeyHandle> QtSystemAccess::openKey(KeyRoot, const std::string&)
{
    return std::nullopt;
}
bool QtSystemAccess::queryValue(KeyHandle, const std::string&, unsigned long&, std::string&, std::size_t&)
{
    return false;
}
void QtSystemAccess::closeKey(KeyHandle) { }

#endif

bool QtSystemAccess::fileExists(const std::string& path)
{
    const QFileInfo info(QString::fromStdString(path));
    return info.exists() && info.isFile();
}

std::optional<std::string> QtSystemAccess::findProgram(const std::string& name)
{
    const QString path = QStandardPaths::findExecutable(QString::fromStdString(name));
    if (path.isEmpty())
        return std::nullopt;
    return path.toStdString();
}

bool QtSystemAccess::startProgram(const std::string& path)
{
    return QProcess::startDetached(QString::fromStdString(path), {});
}

}  // namespace mq::ui
