// Replays every seed and every kept crash of the fuzz targets through the same entry points,
// so the ordinary test run keeps checking them without clang or libFuzzer.
#include "targets.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

QDir corpusDir(const char* target)
{
    return QDir(QStringLiteral(VQ_FUZZ_CORPUS "/%1").arg(QLatin1String(target)));
}

} // namespace

class TstFuzzCorpus : public QObject {
    Q_OBJECT
private slots:
    // A target without seeds would make replay() pass by running nothing.
    void initTestCase()
    {
        for (const vq::fuzz::Target& t : vq::fuzz::kTargets)
            QVERIFY2(corpusDir(t.name).entryList(QDir::Files).size() >= 3, t.name);
    }

    void replay_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("file");
        for (int i = 0; i < int(std::size(vq::fuzz::kTargets)); ++i) {
            const char* name = vq::fuzz::kTargets[i].name;
            const QDir dir = corpusDir(name);
            for (const QString& file : dir.entryList(QDir::Files, QDir::Name))
                QTest::addRow("%s/%s", name, qPrintable(file)) << i << dir.filePath(file);
        }
    }

    void replay()
    {
        QFETCH(int, target);
        QFETCH(QString, file);
        QFile in(file);
        QVERIFY2(in.open(QIODevice::ReadOnly), qPrintable(file));
        const QByteArray data = in.readAll();
        vq::fuzz::lastFailure().clear();
        const bool held = vq::fuzz::kTargets[target].run(
            reinterpret_cast<const uint8_t*>(data.data()), size_t(data.size()));
        QVERIFY2(held, vq::fuzz::lastFailure().c_str());
    }
};

QTEST_GUILESS_MAIN(TstFuzzCorpus)
#include "tst_fuzz_corpus.moc"
