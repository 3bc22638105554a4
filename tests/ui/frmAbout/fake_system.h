// A scripted operating system for the About box: registry keys and values,
// files, programs on the search path, and the programs started.
#pragma once

#include "ui/frmAbout/system_access.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace mq::test {

struct StoredValue {
    unsigned long type;
    std::string bytes;  // what the registry hands back, closing NUL included where stored
};

class FakeSystem : public SystemAccess {
public:
    bool registry = false;
    std::map<std::string, std::map<std::string, StoredValue>> keys;
    std::set<std::string> files;
    std::map<std::string, std::string> onPath;  // program name -> full path
    std::set<std::string> failingStarts;
    std::vector<std::string> started;
    std::vector<std::string> opened;
    int closes = 0;

    bool hasRegistry() const override { return registry; }
    std::optional<KeyHandle> openKey(KeyRoot, const std::string& keyName) override
    {
        auto it = keys.find(keyName);
        if (it == keys.end())
            return std::nullopt;
        opened.push_back(keyName);
        return static_cast<KeyHandle>(opened.size());
    }
    bool queryValue(KeyHandle key, const std::string& valueName, unsigned long& type, std::string& buffer,
                    std::size_t& size) override
    {
        const auto& values = keys.at(opened.at(key - 1));
        auto it = values.find(valueName);
        if (it == values.end() || it->second.bytes.size() > size)
            return false;
        type = it->second.type;
        buffer.replace(0, it->second.bytes.size(), it->second.bytes);
        size = it->second.bytes.size();
        return true;
    }
    void closeKey(KeyHandle) override { ++closes; }

    bool fileExists(const std::string& path) override { return files.count(path) > 0; }
    std::optional<std::string> findProgram(const std::string& name) override
    {
        auto it = onPath.find(name);
        if (it == onPath.end())
            return std::nullopt;
        return it->second;
    }
    bool startProgram(const std::string& path) override
    {
        if (failingStarts.count(path))
            return false;
        started.push_back(path);
        return true;
    }
};

}  // namespace mq::test
