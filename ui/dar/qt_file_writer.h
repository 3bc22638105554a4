// Files written through QSaveFile: the old file is replaced only when every
// byte reached the new one; otherwise it stays as it was.
#pragma once

#include "core/dar_model.h"

namespace mq::ui {

class QtSaveFileWriter : public StreamedFileWriter {
public:
    bool write(const std::string& path, const std::function<bool(ByteSink&)>& produce, std::string& error) override;
};

}  // namespace mq::ui
