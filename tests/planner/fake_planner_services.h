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
    // Workbooks by path: each sheet's name and its rows of cells (row n is rows[n - 1]; an
    // empty row is left out, as the reader leaves it out).
    using Sheet = std::pair<std::string, std::vector<std::vector<std::string>>>;
    std::map<std::string, std::vector<Sheet>> workbooks;
    std::deque<std::optional<std::string>> sheetAnswers;  // cancelled when empty
    std::vector<std::vector<std::string>> sheetChoices;  // the sheets each question offered
    // Reads aside run at once; with cancelReads the user cancels as soon as one begins.
    bool cancelReads = false;
    struct Read {
        std::string file;
        std::size_t rows = 0;  // the last count told
        std::size_t sheetQuestions = 0;  // which-sheet questions asked before it began
    };
    std::vector<Read> reads;

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

    std::vector<std::string> sheetNames(const std::string& path, std::string& error) override
    {
        std::vector<std::string> names;
        if (auto it = workbooks.find(path); it != workbooks.end())
            for (const Sheet& s : it->second)
                names.push_back(s.first);
        else
            error = files.contains(path) ? "not an XLSX workbook (not a zip archive)" : "no such file";
        return names;
    }
    interchange::RecordSource sheetRecords(const std::string& path, const std::string& sheet) override
    {
        interchange::RecordSource source;
        source.forEach = [this, path, sheet](const interchange::RecordFn& fn) {
            for (const Sheet& s : workbooks[path])
                for (std::size_t r = 0; s.first == sheet && r < s.second.size(); ++r)
                    if (!s.second[r].empty() && !fn(textio::CsvRecord{r + 1, s.second[r]}))
                        return std::string();
            return std::string();
        };
        source.where = [sheet](std::size_t row) { return "sheet \"" + sheet + "\" row " + std::to_string(row); };
        return source;
    }
    std::optional<std::string> chooseSheet(const std::string&, const std::vector<std::string>& sheets) override
    {
        sheetChoices.push_back(sheets);
        return pop(sheetAnswers, std::optional<std::string>{});
    }

    bool readAside(const std::string& file, const std::function<void(const ReadProgress&)>& read) override
    {
        reads.push_back({file, 0, sheetChoices.size()});
        read([this](std::size_t n) {
            reads.back().rows = n;
            return !cancelReads;
        });
        return !cancelReads;
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
