#include "ui/dar/qt_file_writer.h"

#include <QSaveFile>

namespace mq::ui {

namespace {

class SaveFileSink : public ByteSink {
public:
    explicit SaveFileSink(QSaveFile& f) : file(f) {}
    bool write(std::string_view bytes) override
    {
        const auto n = static_cast<qint64>(bytes.size());
        return file.write(bytes.data(), n) == n;
    }

private:
    QSaveFile& file;
};

}  // namespace

bool QtSaveFileWriter::write(const std::string& path, const std::function<bool(ByteSink&)>& produce,
                             std::string& error)
{
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString().toStdString();
        return false;
    }
    SaveFileSink sink(file);
    if (!produce(sink)) {
        error = file.errorString().toStdString();
        if (error.empty() || error == "Unknown error")
            error = "The file could not be written completely.";
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = file.errorString().toStdString();
        return false;
    }
    return true;
}

}  // namespace mq::ui
