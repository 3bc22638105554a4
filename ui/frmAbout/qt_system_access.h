// The operating system as the About box sees it: the registry on Windows,
// the search path and program start everywhere.
#pragma once

#include "ui/frmAbout/system_access.h"

namespace mq::ui {

class QtSystemAccess : public SystemAccess {
public:
    bool hasRegistry() const override;
    std::optional<KeyHandle> openKey(KeyRoot root, const std::string& keyName) override;
    bool queryValue(KeyHandle key, const std::string& valueName, unsigned long& type, std::string& buffer,
                    std::size_t& size) override;
    void closeKey(KeyHandle key) override;

    bool fileExists(const std::string& path) override;
    std::optional<std::string> findProgram(const std::string& name) override;
    bool startProgram(const std::string& path) override;
};

}  // namespace mq::ui
