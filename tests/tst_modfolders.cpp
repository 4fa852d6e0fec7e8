#include "modfolders.h"
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

QTEST_MAIN(ModFoldersTest)
#include "tst_modfolders.moc"
