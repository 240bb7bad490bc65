// Runs a fuzz target over the files (or folders of files) given as arguments: the corpus
// as an ordinary test, built without libFuzzer.
#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int runs = 0;
    for (const QString &arg : app.arguments().mid(1)) {
        QDirIterator it(arg, QDir::Files, QDirIterator::Subdirectories);
        const QStringList files = QFileInfo(arg).isDir() ? QStringList() : QStringList{arg};
        QStringList all = files;
        while (it.hasNext())
            all << it.next();
        for (const QString &path : all) {
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly))
                return 1;
            const QByteArray data = f.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(data.constData()), size_t(data.size()));
            ++runs;
        }
    }
    std::printf("%d invoer(en) zonder fout\n", runs);
    return runs > 0 ? 0 : 1;
}
