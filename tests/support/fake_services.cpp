#include "tests/support/fake_services.h"

namespace mq::test {

void FakeServices::msgBox(const std::string& text, MsgIcon icon, const std::string& title)
{
    messages.push_back({text, icon, title});
}

std::string FakeServices::inputBox(const std::string& prompt, const std::string& title, const std::string& defaultText)
{
    prompts.push_back({prompt, title, defaultText});
    if (answers.empty())
        return {};
    std::string a = answers.front();
    answers.pop_front();
    return a;
}

void FakeServices::doEvents()
{
    ++events;
    if (onDoEvents)
        onDoEvents();
}

std::optional<std::string> FakeServices::saveFileDialog(const std::string& filter)
{
    saveFilters.push_back(filter);
    if (saveAnswers.empty())
        return std::nullopt;
    auto a = saveAnswers.front();
    saveAnswers.pop_front();
    return a;
}

void FakeServices::reset()
{
    *this = FakeServices();
}

}  // namespace mq::test
