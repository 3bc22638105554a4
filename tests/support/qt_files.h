#pragma once
// The file helpers of tests/support/files.h for paths the windows hand out as QString, with
// the file names encoded as Qt encodes them.
#include <QFile>
#include <QString>

#include "tests/support/files.h"

namespace mq::test {

inline std::string readFile(const QString& path)
{
    return readFile(QFile::encodeName(path).toStdString());
}

inline bool writeFile(const QString& path, const std::string& bytes)
{
    return writeFile(QFile::encodeName(path).toStdString(), bytes);
}

}  // namespace mq::test
