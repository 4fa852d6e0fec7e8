#include "linereader.h"
#include "sandbox.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <string>
#include <vector>

using Lines = std::vector<std::string>;
Q_DECLARE_METATYPE(Lines)

using TestSupport::utf8;

namespace
{

Lines readAll(const std::string &path)
{
    Lines lines;
    LineReader reader(path);
    while (reader.next())
        lines.push_back(reader.line);
    // Once finished, a reader stays finished.
    if (reader.next())
        lines.push_back("<reader yielded again after false>");
    return lines;
}

} // namespace

class LineReaderTest : public QObject
{
    Q_OBJECT

private slots:
    void yieldsEveryLineAndOneTrailingEmptyLine_data();
    void yieldsEveryLineAndOneTrailingEmptyLine();
    void missingOrNonRegularPathsYieldNothing();
    void linksReadAsTheirTarget();
};

void LineReaderTest::yieldsEveryLineAndOneTrailingEmptyLine_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<Lines>("expected");

    const std::string longLine(300000, 'x');
    QTest::newRow("empty file") << QByteArray() << Lines{""};
    QTest::newRow("two lines, final line feed") << QByteArray("a\nb\n") << Lines{"a", "b", ""};
    QTest::newRow("two lines, no final line feed") << QByteArray("a\nb") << Lines{"a", "b", ""};
    QTest::newRow("blank lines kept") << QByteArray("\n\na\n\n") << Lines{"", "", "a", "", ""};
    QTest::newRow("CR LF endings") << QByteArray("a\r\nb\r\n") << Lines{"a", "b", ""};
    QTest::newRow("lone CR stays in the text")
        << QByteArray("a\rb\nc\r") << Lines{"a\rb", "c\r", ""};
    QTest::newRow("NUL bytes") << QByteArray("a\0b\n\0\n", 6)
                               << Lines{std::string("a\0b", 3), std::string("\0", 1), ""};
    QTest::newRow("invalid UTF-8") << QByteArray("\xff\xfe\x80\n") << Lines{"\xff\xfe\x80", ""};
    QTest::newRow("very long line")
        << QByteArray::fromStdString(longLine + "\nend") << Lines{longLine, "end", ""};
}

void LineReaderTest::yieldsEveryLineAndOneTrailingEmptyLine()
{
    QFETCH(QByteArray, content);
    QFETCH(Lines, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("file.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
    file.close();

    const Lines lines = readAll(utf8(path));
    QCOMPARE(lines.size(), expected.size());
    for (size_t i = 0; i < lines.size(); ++i)
        QVERIFY2(lines[i] == expected[i], qPrintable(QString("line %1 differs").arg(i)));
}

void LineReaderTest::missingOrNonRegularPathsYieldNothing()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    LineReader missing(utf8(dir.filePath("absent.txt")));
    QVERIFY(!missing.isPresent());
    QVERIFY(!missing.next());

    LineReader folder(utf8(dir.path()));
    QVERIFY(!folder.isPresent());
    QVERIFY(!folder.next());

    // A UTF-8 path outside ASCII.
    const QString unicodePath = dir.filePath(QString::fromUtf8("Jürgen ☃.txt"));
    QFile unicodeFile(unicodePath);
    QVERIFY(unicodeFile.open(QIODevice::WriteOnly));
    unicodeFile.write("ok");
    unicodeFile.close();
    QCOMPARE(readAll(utf8(unicodePath)), (Lines{"ok", ""}));
}

// A link to a file reads as the file; a dangling link reads as missing.
void LineReaderTest::linksReadAsTheirTarget()
{
    RUNEMOUNT_NEEDS_LINKS();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(Tree::file(dir.filePath("target.txt"), "x\n"));
    QVERIFY(Tree::link(dir.filePath("good-link"), dir.filePath("target.txt")));
    QVERIFY(Tree::link(dir.filePath("dangling-link"), dir.filePath("nowhere")));
    QCOMPARE(readAll(utf8(dir.filePath("good-link"))), (Lines{"x", ""}));
    QVERIFY(readAll(utf8(dir.filePath("dangling-link"))).empty());
}

QTEST_GUILESS_MAIN(LineReaderTest)
#include "tst_linereader.moc"
