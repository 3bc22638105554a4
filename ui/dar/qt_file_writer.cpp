#include "ui/dar/qt_file_writer.h"

#include "ui/platform/file_writer.h"

namespace mq::ui {

bool QtSaveFileWriter::write(const std::string& path, const std::function<bool(ByteSink&)>& produce, std::string& error)
{
    return saveFile(path, produce, error);
}

}  // namespace mq::ui
