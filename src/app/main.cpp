#include "batchpdf.h"
#include "desktopprogram.h"
#include "exchangecommand.h"
#include "listcommand.h"
#include "logging.h"
#include "markcommand.h"
#include "synccommand.h"
#include "zipcommand.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Written without Qt's windowing: a machine without a display answers too.
const char Usage[] =
    "使い方 (usage):\n"
    "  nvl-hagaki                         ウィンドウで起動 / start the program's windows\n"
    "  nvl-hagaki print-pdf BOOK OUT.pdf [options]   宛名面を PDF に / address sides as PDF\n"
    "  nvl-hagaki import IN.vcf|IN.csv OUT.dat [--append] [--map FIELD=COLUMN]...\n"
    "                                     連絡先を取り込む / import contacts\n"
    "  nvl-hagaki export BOOK.dat OUT.csv|OUT.vcf            住所録を書き出す / export a book\n"
    "  nvl-hagaki zip CODE|ADDRESS        郵便番号を引く / look up a postal code\n"
    "  nvl-hagaki list BOOK [--search TEXT] [--tag TAG] [--sent YEAR] ...   宛名を探す / find "
    "records\n"
    "  nvl-hagaki mark BOOK --records LIST (--sent|--received|--mourning YEAR) [--clear]\n"
    "                                     送受信・喪中を記録 / mark cards sent, received, 喪中\n"
    "  nvl-hagaki sync BOOK URL [--user NAME] [--password-file FILE] [--ca-file FILE]\n"
    "                  [--delete] [--force-delete]\n"
    "                                     CardDAV と同期 / sync with a CardDAV address book\n"
    "  nvl-hagaki COMMAND --help          コマンドのオプション / a command's options\n"
    "  --verbose (any command, or the window): 通信・保存・印刷の記録を標準エラーへ（ウィンドウは\n"
    "                                     データフォルダーの nvl-hagaki.log へ）/ log requests,\n"
    "                                     saves and print jobs (never a password)\n"
    "\n"
    "終了コード (exit status): 0 done, 1 failure (explained on standard error, nothing\n"
    "written), 2 usage error, 3 done with items left to the user.\n";

using Command = int (*)(int, char **);

Command commandNamed(const char *name) {
    const std::pair<const char *, Command> commands[] = {
        {"print-pdf", nvl::runPrintPdf},   {"zip", nvl::runZipCommand},
        {"import", nvl::runImportCommand}, {"export", nvl::runExportCommand},
        {"list", nvl::runListCommand},     {"mark", nvl::runMarkCommand},
        {"sync", nvl::runSyncCommand},
    };
    for (const auto &[verb, command] : commands)
        if (std::strcmp(name, verb) == 0)
            return command;
    return nullptr;
}

// A name whose bytes do not survive the round trip through text would be
// acted on under another name; so would a relative one inside a folder
// whose name does not (the current folder then reads as one that is not
// there).
QByteArray unreadableArgument(int argc, char *argv[]) {
    bool relative = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        if (QFile::encodeName(QFile::decodeName(bytes)) != bytes)
            return bytes;
        relative = relative || !bytes.startsWith('/');
    }
    if (relative && !QDir(QDir::currentPath()).exists())
        return QFile::encodeName(QDir::currentPath());
    return {};
}

} // namespace

int main(int argc, char *argv[]) {
    // --verbose, anywhere: what the program does goes to standard error
    // (a command) or to the log file (the window).
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--verbose") != 0)
            continue;
        verbose = true;
        std::copy(argv + i + 1, argv + argc, argv + i);
        --argc;
        break;
    }
    if (verbose)
        nvl::enableVerboseLogging();
    if (argc > 1) {
        const char *first = argv[1];
        if (std::strcmp(first, "--help") == 0 || std::strcmp(first, "-h") == 0 ||
            std::strcmp(first, "help") == 0) {
            std::fputs(Usage, stdout);
            return 0;
        }
        const Command command = commandNamed(first);
        if (!command) {
            std::fprintf(stderr,
                         "nvl-hagaki: 「%s」というコマンドはありません (unknown command).\n\n%s",
                         first, Usage);
            return 2;
        }
        if (const QByteArray unreadable = unreadableArgument(argc, argv); !unreadable.isEmpty()) {
            std::fprintf(stderr,
                         "nvl-hagaki %s: 「%s」は文字として読めない名前 (UTF-8 ではないバイト) "
                         "を含むため扱えません。ファイル名を変えてください。\n",
                         first, QFile::decodeName(unreadable).toUtf8().constData());
            return 1;
        }
        nvl::keepQtNoticesFromUsers();
        return command(argc, argv);
    }
    nvl::preferJapaneseLocale();
    QApplication app(argc, argv);
    nvl::prepareApplication(app);
    if (nvl::loggingEnabled()) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir().mkpath(folder);
        nvl::logToFile(QDir(folder).filePath(QStringLiteral("nvl-hagaki.log")));
    }
    nvl::DesktopProgram program(nvl::resolveProgramFolder());
    program.start();
    return QApplication::exec();
}
