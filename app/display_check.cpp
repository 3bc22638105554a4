#include "app/display_check.h"

#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace mq::app {

namespace {

bool set(const char* name)
{
    const char* v = std::getenv(name);
    return v && *v;
}

QtMessageHandler previous = nullptr;

void handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg) {
        // Nothing is built yet that would need tidying up.
        std::_Exit(reportNoDisplay());
    }
    if (previous)
        previous(type, context, message);
}

}  // namespace

bool displayNamed(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strncmp(argv[i], "-platform=", 10) == 0)
            return true;
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

int reportNoDisplay()
{
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (set("DISPLAY") || set("WAYLAND_DISPLAY"))
        std::fprintf(stderr, "maskquill: the graphical display could not be opened (DISPLAY=%s WAYLAND_DISPLAY=%s).\n",
                     display ? display : "", wayland ? wayland : "");
    else
        std::fputs("maskquill: no graphical display: DISPLAY and WAYLAND_DISPLAY are not set.\n", stderr);
    std::fputs("Maskquill is a desktop program: start it from a graphical session (X11 or Wayland).\n", stderr);
    std::fflush(stderr);
    return 1;
}

DisplayGuard::DisplayGuard()
{
    previous = qInstallMessageHandler(handler);
}

DisplayGuard::~DisplayGuard()
{
    qInstallMessageHandler(previous);
    previous = nullptr;
}

}  // namespace mq::app
