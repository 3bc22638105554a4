#include "ui/platform/file_writer.h"

#include "textio/file_target.h"
#include "textio/file_writer.h"

namespace mq::ui {

namespace {

// The windows' producers write into a ByteSink; the one writer hands them its output.
class SinkOnOutput : public ByteSink {
public:
    explicit SinkOnOutput(textio::ByteOutput& out) : out_(out) { }
    bool write(std::string_view bytes) override { return out_.write(bytes); }

private:
    textio::ByteOutput& out_;
};

// The fault as a window's message box tells it: the cause alone.
std::string message(const textio::WriteFault& f)
{
    if (f.step == textio::WriteStep::Target && f.kind)
        return "It is " + fileKind(f.kind) + ", not a regular file.";
    if (f.step == textio::WriteStep::Refused && f.markedReadOnly)
        return "It is read-only.";
    return f.cause();
}

bool save(const std::string& path, const std::function<bool(ByteSink&)>& produce, std::string& error,
          std::chrono::milliseconds patience, bool devicesInPlace)
{
    if (path.empty()) {
        error = "No file name was given.";
        return false;
    }
    textio::WriteOptions how;
    how.devicesInPlace = devicesInPlace;
    how.inPlaceWhenFolderLocked = true;
    how.patience = patience;
    const textio::WriteFault f = textio::writeFile(
        path,
        [&produce](textio::ByteOutput& out) {
            SinkOnOutput sink(out);
            return produce(sink);
        },
        how);
    if (f)
        error = message(f);
    return !f;
}

}  // namespace

std::string fileKind(mode_t mode)
{
    return textio::fileKind(mode);
}

bool saveFile(const std::string& path, const std::function<bool(ByteSink&)>& produce, std::string& error,
              std::chrono::milliseconds patience)
{
    return save(path, produce, error, patience, true);
}

bool saveDocument(const std::string& path, const std::function<bool(ByteSink&)>& produce, std::string& error)
{
    return save(path, produce, error, kPipePatience, false);
}

}  // namespace mq::ui
