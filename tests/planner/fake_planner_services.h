// The planner's platform in memory: files in a map, questions, prompts and
// dialogs answered from queues, every message recorded.
#pragma once

#include "planner/planner_services.h"

#include <cstdio>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace mq::test {

class FakePlannerServices : public planner::PlannerServices {
public:
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::deque<planner::Answer> answers;  // Cancel when empty
    std::deque<std::optional<std::string>> prompts;  // cancelled when empty
    std::deque<std::optional<std::string>> fileNames;  // for both file dialogs; cancelled when empty
    std::map<std::string, std::string> files;
    std::map<std::string, std::string> unreadable;  // path -> reason
    std::map<std::string, std::string> unwritable;  // path -> reason
    std::deque<std::optional<planner::FileChoice>> exportChoices;  // cancelled when empty
    std::deque<std::optional<std::uint32_t>> colours;  // cancelled when empty
    std::string clipboard;
    std::deque<std::optional<std::string>> pastes;  // cancelled when empty
    std::deque<std::optional<plan::IpamValues>> ipamAnswers;  // cancelled when empty
    std::vector<std::string> recent;
    std::deque<std::optional<plan::LayoutRules>> ruleAnswers;  // cancelled when empty

    void message(const std::string& text, MsgIcon) override { messages.push_back(text); }
    planner::Answer ask(const std::string& question) override
    {
        questions.push_back(question);
        return pop(answers, planner::Answer::Cancel);
    }
    std::vector<std::string> promptDefaults;  // the text each prompt offered
    std::vector<std::string> promptTexts;  // what each prompt asked
    std::optional<std::string> prompt(const std::string& text, const std::string& defaultText) override
    {
        promptTexts.push_back(text);
        promptDefaults.push_back(defaultText);
        return pop(prompts, std::optional<std::string>{});
    }
    std::optional<std::string> openFileDialog(const std::string&) override
    {
        return pop(fileNames, std::optional<std::string>{});
    }
    std::optional<std::string> saveFileDialog(const std::string&, const std::string&) override
    {
        return pop(fileNames, std::optional<std::string>{});
    }
    bool readFile(const std::string& path, std::string& bytes, std::string& error) override
    {
        if (auto it = unreadable.find(path); it != unreadable.end()) {
            error = it->second;
            return false;
        }
        auto it = files.find(path);
        if (it == files.end()) {
            error = "No such file or directory";
            return false;
        }
        bytes = it->second;
        return true;
    }
    // The file's bytes in a temporary file, read as the window reads a list.
    std::FILE* openList(const std::string& path, std::string& error) override
    {
        std::string bytes;
        if (!readFile(path, bytes, error))
            return nullptr;
        std::FILE* in = std::tmpfile();
        if (in &&
            (std::fwrite(bytes.data(), 1, bytes.size(), in) != bytes.size() || std::fseek(in, 0, SEEK_SET) != 0)) {
            std::fclose(in);
            in = nullptr;
        }
        if (!in)
            error = "no temporary file";
        return in;
    }
    bool writeFile(const std::string& path, const std::string& bytes, std::string& error) override
    {
        if (auto it = unwritable.find(path); it != unwritable.end()) {
            error = it->second;
            return false;
        }
        files[path] = bytes;
        return true;
    }

    std::optional<planner::FileChoice> exportFileDialog(const std::string&, const std::string&) override
    {
        return pop(exportChoices, std::optional<planner::FileChoice>{});
    }
    std::optional<std::uint32_t> chooseColour(std::uint32_t) override
    {
        return pop(colours, std::optional<std::uint32_t>{});
    }
    void setClipboard(const std::string& text) override { clipboard = text; }
    std::vector<std::string> recentPlans() override { return recent; }
    void setRecentPlans(const std::vector<std::string>& paths) override { recent = paths; }
    std::optional<std::string> pasteText(const std::string&, const std::string&) override
    {
        return pop(pastes, std::optional<std::string>{});
    }
    std::optional<plan::IpamValues> editIpamValues(const plan::IpamValues&) override
    {
        return pop(ipamAnswers, std::optional<plan::IpamValues>{});
    }

    std::optional<plan::LayoutRules> editLayoutRules(const plan::LayoutRules&, plan::CloudMode) override
    {
        return pop(ruleAnswers, std::optional<plan::LayoutRules>{});
    }

private:
    template <class T> static T pop(std::deque<T>& q, T otherwise)
    {
        if (q.empty())
            return otherwise;
        T v = q.front();
        q.pop_front();
        return v;
    }
};

}  // namespace mq::test
