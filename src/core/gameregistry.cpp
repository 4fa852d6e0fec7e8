#include "gameregistry.h"

namespace
{

void appendUtf8(std::string &out, char32_t code)
{
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

bool isHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

GameOptionValues GameRegistry::readOptions(const std::string &gameFolder) const
{
    GameOptionValues values;
    for (const GameOption option : gameOptions)
        values[option] = readOption(gameFolder, option);
    return values;
}

std::string GameRegistry::readOption(const std::string &gameFolder, GameOption option) const
{
    return readGameValue(gameFolder, valueName(option), GameValueKind::Number);
}

bool GameRegistry::writeOption(const std::string &gameFolder, GameOption option, bool on) const
{
    return writeGameDword(gameFolder, valueName(option), on ? 1 : 0);
}

std::wstring GameRegistry::valueName(GameOption option)
{
    switch (option) {
    case GameOption::AllowLocalFiles:
        return L"Allow Local Files";
    case GameOption::PreferredGameVersion:
        return L"Preferred Game Version";
    }
    return std::wstring();
}

std::string narrowText(const std::u16string &text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (isHighSurrogate(unit) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            const char32_t code =
                0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
            appendUtf8(out, code);
            ++i;
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}
