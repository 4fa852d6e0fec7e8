#include "listfilter.h"
#include "listsort.h"
#include "modfolders.h"
#include "naturalorder.h"
#include "sandbox.h"
#include "testsupport.h"

#include <QtTest>

// The names a mod may take, on every platform the same: Windows players share mods.
class ModFoldersTest : public QObject
{
    Q_OBJECT

private slots:
    void nameRules_data();
    void nameRules();
    void listOrder_data();
    void listOrder();
    void listFilter_data();
    void listFilter();
};

void ModFoldersTest::nameRules_data()
{
    QTest::addColumn<QString>("renamed"); // empty for a new mod
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("refusal");
    const QString reserved =
        "Mod names cannot be a name Windows reserves or end with a dot or space.";
    const QString characters = "Mod names cannot contain < > : \" | ? * or control characters.";
    const QString taken = "A mod with that name already exists.";
    const QString dot = "Mod names cannot start with a dot or contain a slash or backslash.";
    QTest::newRow("fine") << ""
                          << "Footmen Frenzy 2"
                          << "";
    QTest::newRow("CON") << ""
                         << "CON" << reserved;
    QTest::newRow("nul with extension") << ""
                                        << "nul.txt" << reserved;
    QTest::newRow("COM9") << "Beta"
                          << "com9" << reserved;
    QTest::newRow("LPT1.zip") << ""
                              << "LPT1.zip" << reserved;
    QTest::newRow("COM10 is a name") << ""
                                     << "COM10"
                                     << "";
    QTest::newRow("trailing dot") << ""
                                  << "Mod." << reserved;
    QTest::newRow("trailing space") << "Beta"
                                    << "Mod " << reserved;
    QTest::newRow("colon") << ""
                           << "a:b" << characters;
    QTest::newRow("star") << "Beta"
                          << "a*" << characters;
    QTest::newRow("tab") << ""
                         << "a\tb" << characters;
    QTest::newRow("line break") << "Beta"
                                << "a\nb" << characters;
    QTest::newRow("hidden") << ""
                            << ".mod" << dot;
    QTest::newRow("slash") << "Beta"
                           << "a/b" << dot;
    QTest::newRow("empty") << "Beta"
                           << ""
                           << "Mod names cannot be empty.";
    QTest::newRow("blank") << ""
                           << "   "
                           << "Mod names cannot be empty.";
    QTest::newRow("201 characters")
        << "Beta" << QString(201, 'a') << "Mod names cannot be longer than 200 characters.";
    QTest::newRow("200 characters") << "" << QString(200, 'a') << "";
    QTest::newRow("same name") << ""
                               << "Alpha" << taken;
    QTest::newRow("other letter case") << ""
                                       << "ALPHA" << taken;
    QTest::newRow("rename to another's case") << "Beta"
                                              << "alpha" << taken;
    QTest::newRow("rename to its own case") << "Alpha"
                                            << "ALPHA"
                                            << "";
    QTest::newRow("a file counts") << ""
                                   << "notes.TXT" << taken;
}

void ModFoldersTest::nameRules()
{
    QFETCH(QString, renamed);
    QFETCH(QString, name);
    QFETCH(QString, refusal);
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(QDir().mkpath(box.modDir("Alpha")));
    QVERIFY(QDir().mkpath(box.modDir("Beta")));
    QVERIFY(TestSupport::writeFile(box.modsDir + "/notes.txt", "not a mod"));
    const ModFolders mods(box.modsDir);
    QCOMPARE(renamed.isEmpty() ? mods.newNameRefusal(name) : mods.renameRefusal(renamed, name),
             refusal);
}

Q_DECLARE_METATYPE(Qt::SortOrder)

void ModFoldersTest::listOrder_data()
{
    // Two rows, `a` and `b`; each is "name" or "name size files", the latter once measured.
    QTest::addColumn<int>("column");
    QTest::addColumn<Qt::SortOrder>("order");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("aFirst");
    const Qt::SortOrder up = Qt::AscendingOrder;
    const Qt::SortOrder down = Qt::DescendingOrder;
    QTest::newRow("digits by value") << 0 << up << "mod2" << "mod10" << true;
    QTest::newRow("regardless of case") << 0 << up << "alpha" << "Beta" << true;
    QTest::newRow("case only: still one order") << 0 << up << "Beta" << "beta" << true;
    QTest::newRow("leading zeros") << 0 << up << "mod007" << "mod8" << true;
    QTest::newRow("digits longer than a number") << 0 << up << "v99999999999999999999"
                                                 << "v100000000000000000000" << true;
    QTest::newRow("prefix first") << 0 << up << "mod" << "mod1" << true;
    QTest::newRow("name descending") << 0 << down << "mod2" << "mod10" << false;
    QTest::newRow("size as a number") << 1 << up << "b 900 1" << "a 10000 1" << true;
    QTest::newRow("size descending") << 1 << down << "b 900 1" << "a 10000 1" << false;
    QTest::newRow("files as a number") << 2 << up << "a 5 10" << "b 5 9" << false;
    QTest::newRow("equal numbers by name") << 2 << down << "mod2 5 3" << "mod10 5 3" << true;
    QTest::newRow("measuring last") << 1 << up << "a" << "b 7 1" << false;
    QTest::newRow("measuring last descending") << 1 << down << "a" << "b 7 1" << false;
}

void ModFoldersTest::listOrder()
{
    QFETCH(int, column);
    QFETCH(Qt::SortOrder, order);
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, aFirst);
    const auto row = [](const QString &text) {
        const QStringList parts = text.split(' ');
        ModRowKey key;
        key.name = parts[0];
        key.measured = parts.size() == 3;
        if (key.measured) {
            key.bytes = parts[1].toLongLong();
            key.files = parts[2].toLongLong();
        }
        return key;
    };
    const ListSort sort(column, order);
    QCOMPARE(sort.before(row(a), row(b)), aFirst);
    QCOMPARE(sort.before(row(b), row(a)), !aFirst);
    if (column == ListSort::Name && order == Qt::AscendingOrder)
        QCOMPARE(NaturalOrder::less(a, b), aFirst);

    // The choice survives config.cfg, and what it does not know falls back to by name.
    Sandbox box;
    QVERIFY(box.isValid());
    sort.setIn(*box.config);
    QVERIFY(box.config->save());
    const ListSort read = ListSort::fromConfig(ConfigStore(box.appDir.toStdString()));
    QCOMPARE(read.column(), column);
    QCOMPARE(read.order(), order);
    box.config->set(ConfigKey::sortColumn, "Colour");
    QCOMPARE(ListSort::fromConfig(*box.config).column(), int(ListSort::Name));
}

void ModFoldersTest::listFilter_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("measured");
    QTest::addColumn<int>("files");
    QTest::addColumn<bool>("mounted");
    QTest::addColumn<bool>("shown");    // with empty mods shown
    QTest::addColumn<bool>("hideEmpty"); // whether hiding empty mods hides it too
    QTest::newRow("no filter") << "" << "Foo" << true << 3 << false << true << false;
    QTest::newRow("part of the name, any case") << "OO" << "Foo" << true << 3 << false << true
                                                << false;
    QTest::newRow("spaces around") << " foo " << "Foo" << true << 3 << false << true << false;
    QTest::newRow("not in the name") << "bar" << "Foo" << true << 3 << false << false << true;
    QTest::newRow("still measuring") << "" << "Foo" << false << 0 << false << false << true;
    QTest::newRow("empty") << "" << "Foo" << true << 0 << false << true << true;
    QTest::newRow("mounted, measuring") << "" << "Foo" << false << 0 << true << true << false;
    QTest::newRow("mounted, filtered out") << "x" << "Foo" << false << 0 << true << false << true;
}

void ModFoldersTest::listFilter()
{
    QFETCH(QString, filter);
    QFETCH(QString, name);
    QFETCH(bool, measured);
    QFETCH(int, files);
    QFETCH(bool, mounted);
    QFETCH(bool, shown);
    QFETCH(bool, hideEmpty);
    ModRowKey row;
    row.name = name;
    row.measured = measured;
    row.files = files;
    const ListFilter rule(filter);
    QCOMPARE(rule.isSet(), !filter.trimmed().isEmpty());
    QCOMPARE(rule.shows(row, mounted, false), shown);
    QCOMPARE(rule.shows(row, mounted, true), shown && !hideEmpty);
}

QTEST_MAIN(ModFoldersTest)
#include "tst_modfolders.moc"
