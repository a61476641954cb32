// Archives CTD lines as fast as the file takes them and says on stdout each
// line it has written ("line N") and each sync ("synced N"), until killed.
//   archivekill_helper <file>

#include "archive/rawarchive.h"

#include <QCoreApplication>
#include <cstdio>

using namespace corvale;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <file>\n", argv[0]);
        return 2;
    }
    RawArchive archive;
    QString error;
    if (!archive.open(QString::fromLocal8Bit(argv[1]), RawArchive::Mode::Overwrite, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    int syncs = 0;
    for (long long n = 1;; ++n) {
        // A line with bytes that need escaping, so escaped lines are long.
        const QByteArray line = QByteArray::number(n) + ",\"12.345\"\r,\xb5\x01 10.04";
        if (!archive.appendCtdLine(QDateTime::currentDateTime(), line, CtdLineStatus::Malformed)) {
            std::fprintf(stderr, "write failed\n");
            return 1;
        }
        std::printf("line %lld\n", n);
        if (archive.syncCount() != syncs) {
            syncs = archive.syncCount();
            std::printf("synced %lld\n", n);
        }
        std::fflush(stdout);
    }
}
