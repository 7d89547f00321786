// The viewer's text tables: every language fills every entry, each entry takes the values
// of its English original in the same order (a German text with %s where the English one
// has %u would print garbage or crash), and the Replace window's texts are translated.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "ui/viewer_texts.h"

namespace {

// The tables hold texts only, so that they can be walked entry by entry.
static_assert(sizeof(ViewerTexts) % sizeof(const char*) == 0);
constexpr std::size_t ENTRIES = sizeof(ViewerTexts) / sizeof(const char*);

std::array<const char*, ENTRIES> entries(const ViewerTexts& texts)
{
    std::array<const char*, ENTRIES> all{};
    std::memcpy(all.data(), &texts, sizeof texts);
    return all;
}

// The conversions of a printf format in order, each as its length modifier and letter
// ("%08llx" gives "llx"); flags and widths may differ between languages, "%%" is none.
std::string conversions(const char* format)
{
    std::string found;
    for (const char* c = format; *c; ++c) {
        if (*c != '%')
            continue;
        ++c;
        if (*c == '%')
            continue;
        while (*c && std::strchr("-+ #0123456789.", *c))
            ++c;
        while (*c && std::strchr("hlzjt", *c))
            found += *c++;
        if (!*c)
            break;
        found += *c;
        found += ' ';
    }
    return found;
}

struct Language {
    const char* name;
    const ViewerTexts& texts;
};

const Language TRANSLATIONS[] = {{"German", GERMAN_TEXTS}, {"Russian", RUSSIAN_TEXTS}};

TEST(ViewerTexts, EveryLanguageFillsEveryEntryWithTheEnglishValues)
{
    const auto english = entries(ENGLISH_TEXTS);
    for (const char* text : english)
        ASSERT_TRUE(text && *text);
    for (const Language& language : TRANSLATIONS) {
        const auto translated = entries(language.texts);
        for (std::size_t i = 0; i < ENTRIES; ++i) {
            ASSERT_TRUE(translated[i] && *translated[i]) << language.name << " entry " << i << " is missing";
            EXPECT_EQ(conversions(translated[i]), conversions(english[i]))
                << language.name << " entry " << i << ": \"" << translated[i] << "\" against \"" << english[i] << '"';
        }
    }
}

TEST(ViewerTexts, ReplaceWindowSpeaksEveryLanguage)
{
    const auto member = [](const ViewerTexts& t) {
        const ReplacementReportTexts& r = t.replaceReport;
        return std::array{t.replaceEntry,   t.replaceTitle,   t.replacePicture,     t.replaceSaveAs,
                          t.replaceSlot,    t.pictureChooserTitle, t.saveRomTitle,  t.romNotReadable,
                          t.cannotUsePicture, t.replaceNote,  t.replaceRefused,     t.notOverInput,
                          r.slot,           r.packedSize,     r.moved,              r.fixed,
                          r.verificationFailed, r.verified};
    };
    const auto english = member(ENGLISH_TEXTS);
    for (const Language& language : TRANSLATIONS) {
        const auto translated = member(language.texts);
        for (std::size_t i = 0; i < english.size(); ++i)
            EXPECT_STRNE(translated[i], english[i]) << language.name << " text " << i << " is the English one";
    }
}

TEST(ViewerTexts, ConversionsAreReadInOrder)
{
    EXPECT_EQ(conversions("ROM image: %s\nFound at 0x%08llx: %s, %s"), "s llx s s ");
    EXPECT_EQ(conversions("fit %u %%"), "u ");
    EXPECT_EQ(conversions("moved: %llu container(s) after it by %+lld bytes"), "llu lld ");
    EXPECT_EQ(conversions("verified: %zu checks held"), "zu ");
}

}  // namespace
