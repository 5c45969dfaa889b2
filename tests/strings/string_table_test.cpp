#include "strings/string_table.h"

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

namespace kt::strings {
namespace {

TEST(StringTable, RecordValidationMessagesKeepTheirLineBreaksAndSpaces) {
    EXPECT_EQ(LoadString(1078), "Le numéro de version du programme est\nincorrect. Mise à jour impossible.");
    EXPECT_EQ(LoadString(1084), "Le nom du praticien n'est pas lisible. Mise à jour impossible.");
    EXPECT_EQ(LoadString(1098), "Le chemin de l'application est incorrect.\nLa mise à jour est impossible. ");
    EXPECT_EQ(LoadString(1100), "Le chemin des données est incorrect.\nLa mise à jour est impossible.");
}

TEST(StringTable, TextsAreUtf8) {
    // "é" of "données" as its two UTF-8 bytes, whatever the compiler's charset.
    EXPECT_NE(LoadString(1100).find("donn\xC3\xA9" "es"), std::string::npos);
    EXPECT_NE(LoadString(1044).find("d\xE2\x80\x99installation"), std::string::npos);
}

TEST(StringTable, CarriageReturnsAreRealCharacters) {
    const std::string text = LoadString(1062);
    EXPECT_EQ(text, "Le téléchargement n'est pas terminé.\r\n\r\nVoulez-vous annuler la mise à jour ?");
    EXPECT_EQ(text.find('\\'), std::string::npos);
}

TEST(StringTable, GuidFormatGivesTheBracedThirtyEightCharacterForm) {
    const std::string format = LoadString(1001);
    ASSERT_FALSE(format.empty());
    char text[64];
    const int length = std::snprintf(text, sizeof text, format.c_str(), 0x1A2B3C4DUL, 0x5E6Fu, 0x7A8Bu, 0x9Cu, 0x0Du,
                                     0x1Eu, 0x2Fu, 0x3Au, 0x4Bu, 0x5Cu, 0x6Du);
    EXPECT_EQ(length, 38);
    EXPECT_STREQ(text, "{1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D}");
}

TEST(StringTable, DownloadFiguresAreBuiltFromTheirTexts) {
    const std::string done = FormatString(LoadString(1090), {"512.0"});
    const std::string total = FormatString(LoadString(1091), {"3.25"});
    EXPECT_EQ(FormatString(LoadString(1085), {done, total}), "512.0 Ko de 3.25 Mo");
    EXPECT_EQ(FormatString(LoadString(1089), {"900"}), "900 Octets");

    EXPECT_EQ(FormatString(LoadString(1086), {"59"}), "59 sec");
    EXPECT_EQ(FormatString(LoadString(1087), {"62"}), "62 min");
    const std::string remaining = FormatString(LoadString(1088), {"62", "5"});
    EXPECT_EQ(remaining, "62 min 5 sec");
    EXPECT_EQ(LoadString(1095) + FormatString(LoadString(1092), {remaining, total}),
              "Temps restant : 62 min 5 sec (3.25 Mo copiés)");

    EXPECT_EQ(LoadString(1096) + FormatString(LoadString(1094), {"4.25"}), "Vitesse : 4.25 Ko/sec");
    EXPECT_EQ(LoadString(1096) + FormatString(LoadString(1093), {"700"}), "Vitesse : 700 Octets/sec");
}

TEST(StringTable, EveryOccurrenceOfAnArgumentIsReplaced) {
    EXPECT_EQ(FormatString(LoadString(1118), {"Talvo", "5.2.0", "5.3.0"}),
              "Impossible de lancer Talvo. La mise à jour n'a pas été installée.\n\n"
              "Version actuelle de Talvo : 5.2.0\nVersion minimum à installer: 5.3.0");
}

TEST(StringTable, UnknownIdentifiersGiveNothing) {
    for (int id : {0, -1, 999, 1026, 1099, 1119, 1147, 1180}) EXPECT_EQ(LoadString(id), "") << id;
}

TEST(FormatString, PlaceholdersWithoutArgumentStay) {
    EXPECT_EQ(FormatString("%1 de %2", {"3 Ko"}), "3 Ko de %2");
    EXPECT_EQ(FormatString("%1 de %2", {}), "%1 de %2");
    EXPECT_EQ(FormatString("%2 puis %1", {"a", "b"}), "b puis a");
}

TEST(FormatString, InsertedArgumentsAreNotScannedAgain) {
    EXPECT_EQ(FormatString("%1 et %2", {"%2", "x"}), "%2 et x");
    EXPECT_EQ(FormatString("[%1]", {"%%1"}), "[%%1]");
}

TEST(FormatString, PercentSignsThatAreNoPlaceholderStay) {
    EXPECT_EQ(FormatString("100%% %1", {"ok"}), "100%% ok");
    EXPECT_EQ(FormatString("%%1", {"x"}), "%%1");
    EXPECT_EQ(FormatString("%0 %d %", {"x"}), "%0 %d %");
    EXPECT_EQ(FormatString("", {"x"}), "");
}

TEST(FormatString, APlaceholderIsOneDigit) {
    EXPECT_EQ(FormatString("%10", {"a"}), "a0");
    EXPECT_EQ(FormatString("%9", {"1", "2", "3", "4", "5", "6", "7", "8", "neuf"}), "neuf");
}

}  // namespace
}  // namespace kt::strings
