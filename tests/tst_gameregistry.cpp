#include "gameregistry.h"
#include "gameregistrystandin.h"

#include <QtTest>

namespace
{

// Through the registry the tests hand to the program, before any game folder is known.
std::string readGameValue(const std::wstring &name, GameValueKind kind)
{
    return GameRegistryStandIn::registry().readGameValue(std::string(), name, kind);
}

bool writeGameDword(const std::wstring &name, std::uint32_t value)
{
    return GameRegistryStandIn::registry().writeGameDword(std::string(), name, value);
}

std::string readProgramFilesX86()
{
    return GameRegistryStandIn::registry().readProgramFilesX86(std::string());
}

} // namespace

class GameRegistryTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { GameRegistryStandIn::reset(); }
    void cleanupTestCase() { GameRegistryStandIn::reset(); }

    void narrowTextConvertsUtf16ToUtf8();
    void missingGameKeyReadsEmptyAndIsNeverCreated();
    void valuesReadBackByKind();
    void refusedWritesLeaveTheStoredValue();
    void optionsAreDwordsOfTheGameKey();
};

void GameRegistryTest::narrowTextConvertsUtf16ToUtf8()
{
    QCOMPARE(narrowText(u""), std::string());
    QCOMPARE(narrowText(u"C:\\Program Files (x86)\\Warcraft III"),
             std::string("C:\\Program Files (x86)\\Warcraft III"));
    // Two-byte, three-byte and surrogate-pair (four-byte) characters.
    QCOMPARE(narrowText(u"D:/Spiele/J\u00fcrgen"), std::string("D:/Spiele/J\xc3\xbcrgen"));
    QCOMPARE(narrowText(u"\u2603\u00a0"), std::string("\xe2\x98\x83\xc2\xa0"));
    QCOMPARE(narrowText(u"\U0001F600"), std::string("\xf0\x9f\x98\x80"));
    // The result must decode back to the same text.
    const std::u16string mixed = u"W\u00e4rcr\u00e6ft \u4e09 \U00010348 III";
    const std::string utf8 = narrowText(mixed);
    QCOMPARE(QString::fromUtf8(utf8.data(), int(utf8.size())),
             QString::fromUtf16(mixed.data(), int(mixed.size())));
    // Unpaired surrogates cannot be encoded; they become U+FFFD instead of invalid bytes.
    QCOMPARE(narrowText(std::u16string{u'a', char16_t(0xD800), u'b'}), std::string("a\xef\xbf\xbd"
                                                                                   "b"));
    QCOMPARE(narrowText(std::u16string{char16_t(0xDC00)}), std::string("\xef\xbf\xbd"));
    QCOMPARE(narrowText(std::u16string{u'x', char16_t(0xD83D)}), std::string("x\xef\xbf\xbd"));
}

void GameRegistryTest::missingGameKeyReadsEmptyAndIsNeverCreated()
{
    RUNEMOUNT_NEEDS_REGISTRY_CONTROL();
    QCOMPARE(readGameValue(L"GamePath", GameValueKind::Text), std::string());
    QCOMPARE(readGameValue(L"InstallPath", GameValueKind::Text), std::string());
    QCOMPARE(readGameValue(L"Allow Local Files", GameValueKind::Number), std::string());
    QCOMPARE(readGameValue(L"Preferred Game Version", GameValueKind::Number), std::string());
    QCOMPARE(readProgramFilesX86(), std::string());

    QVERIFY(!writeGameDword(L"Allow Local Files", 1));
    QVERIFY(!GameRegistryStandIn::hasGameKey());
    QCOMPARE(readGameValue(L"Allow Local Files", GameValueKind::Number), std::string());
}

void GameRegistryTest::valuesReadBackByKind()
{
    RUNEMOUNT_NEEDS_REGISTRY_CONTROL();
    GameRegistryStandIn::createGameKey();
    QCOMPARE(readGameValue(L"Allow Local Files", GameValueKind::Number), std::string());

    const std::pair<std::uint32_t, std::string> numbers[] = {
        {0, "0"}, {1, "1"}, {2, "2"}, {0xFFFFFFFFu, "-1"}, {0x80000000u, "-2147483648"}};
    for (const auto &number : numbers) {
        QVERIFY(writeGameDword(L"Preferred Game Version", number.first));
        QCOMPARE(GameRegistryStandIn::gameDword(L"Preferred Game Version"),
                 std::int64_t(number.first));
        QCOMPARE(readGameValue(L"Preferred Game Version", GameValueKind::Number), number.second);
    }

    // Backslashes come back as stored; the store is what turns them into slashes.
    GameRegistryStandIn::setGameString(L"InstallPath", u"C:\\Games\\W3");
    QCOMPARE(readGameValue(L"InstallPath", GameValueKind::Text), std::string("C:\\Games\\W3"));

    // 511 UTF-16 units and a NUL fill the 1024-byte buffer; one more does not fit.
    GameRegistryStandIn::setGameString(L"GamePath", std::u16string(511, u'a'));
    QCOMPARE(readGameValue(L"GamePath", GameValueKind::Text), std::string(511, 'a'));
    GameRegistryStandIn::setGameString(L"GamePath", std::u16string(512, u'a'));
    QCOMPARE(readGameValue(L"GamePath", GameValueKind::Text), std::string());
    GameRegistryStandIn::setGameString(L"GamePath", std::u16string(600, u'a'));
    QCOMPARE(readGameValue(L"GamePath", GameValueKind::Text), std::string());

    // A value of the other kind is not read as this one.
    QCOMPARE(readGameValue(L"InstallPath", GameValueKind::Number), std::string());
    QCOMPARE(readGameValue(L"Preferred Game Version", GameValueKind::Text), std::string());

    GameRegistryStandIn::setProgramFilesX86(u"C:\\Program Files (x86)");
    QCOMPARE(readProgramFilesX86(), std::string("C:\\Program Files (x86)"));
}

void GameRegistryTest::refusedWritesLeaveTheStoredValue()
{
    RUNEMOUNT_NEEDS_REGISTRY_CONTROL();
    GameRegistryStandIn::setGameDword(L"Allow Local Files", 0);
    GameRegistryStandIn::setWritesFail(true);
    QVERIFY(!writeGameDword(L"Allow Local Files", 1));
    QCOMPARE(readGameValue(L"Allow Local Files", GameValueKind::Number), std::string("0"));

    GameRegistryStandIn::setWritesFail(false);
    QVERIFY(writeGameDword(L"Allow Local Files", 1));
    QCOMPARE(readGameValue(L"Allow Local Files", GameValueKind::Number), std::string("1"));

    GameRegistryStandIn::removeGameKey();
    QVERIFY(!writeGameDword(L"Allow Local Files", 1));
    QCOMPARE(readGameValue(L"Allow Local Files", GameValueKind::Number), std::string());
}

void GameRegistryTest::optionsAreDwordsOfTheGameKey()
{
    RUNEMOUNT_NEEDS_REGISTRY_CONTROL();
    const GameRegistry &registry = GameRegistryStandIn::registry();
    const std::string noFolder;
    GameRegistryStandIn::setGameDword(L"Allow Local Files", 1);
    QVERIFY(registry.readOptions(noFolder) ==
            (GameOptionValues{{GameOption::AllowLocalFiles, "1"},
                              {GameOption::PreferredGameVersion, ""}}));

    QVERIFY(registry.writeOption(noFolder, GameOption::PreferredGameVersion, true));
    QCOMPARE(GameRegistryStandIn::gameDword(L"Preferred Game Version"), 1);
    QVERIFY(registry.writeOption(noFolder, GameOption::AllowLocalFiles, false));
    QCOMPARE(GameRegistryStandIn::gameDword(L"Allow Local Files"), 0);
    QCOMPARE(registry.readOption(noFolder, GameOption::PreferredGameVersion), std::string("1"));
    QVERIFY(registry.readOptions(noFolder) ==
            (GameOptionValues{{GameOption::AllowLocalFiles, "0"},
                              {GameOption::PreferredGameVersion, "1"}}));
}

QTEST_GUILESS_MAIN(GameRegistryTest)
#include "tst_gameregistry.moc"
