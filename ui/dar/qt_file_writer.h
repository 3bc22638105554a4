// The address range listing saved through the program's one file writer
// (ui/platform/file_writer.h), as the text reports are.
#pragma once

#include "core/dar_model.h"

namespace mq::ui {

class QtSaveFileWriter : public StreamedFileWriter {
public:
    bool write(const std::string& path, const std::function<bool(ByteSink&)>& produce, std::string& error) override;
};

}  // namespace mq::ui
