// Writes the application icon as PNG files into an icon theme folder:
//   make_icons <theme folder> [size ...]
// gives <theme folder>/<n>x<n>/apps/maskquill.png for each size (all installed
// sizes when none is named).
#include "packaging/icon/app_icon.h"

#include <QDir>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <theme folder> [size ...]\n", argv[0]);
        return 2;
    }
    std::vector<int> sizes;
    for (int i = 2; i < argc; ++i) {
        char* end = nullptr;
        const long n = std::strtol(argv[i], &end, 10);
        if (end == argv[i] || *end != '\0' || n < 8 || n > 1024) {
            std::fprintf(stderr, "make_icons: not a size from 8 to 1024: %s\n", argv[i]);
            return 2;
        }
        sizes.push_back(static_cast<int>(n));
    }
    if (sizes.empty())
        sizes = mq::app::appIconSizes();

    const QString theme = QString::fromLocal8Bit(argv[1]);
    for (const int n : sizes) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(theme).arg(n);
        const QString file = folder + QStringLiteral("/maskquill.png");
        if (!QDir().mkpath(folder) || !mq::app::appIconImage(n).save(file, "PNG")) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
