// The file, colour, font and print dialogs of the dialog layer in recording
// mode: what they record and how they answer from queued answers.

#include <gtest/gtest.h>

#include "platform/dialogs.h"

namespace valmoro::dialogs {

TEST(ChooserDialogs, FileDialogsRecordTheirCaptionAndAnswerFromTheQueue) {
  RecordingScope recording;
  FileDialogRequest open;
  open.defaultExt = QStringLiteral("fp3");
  queueFileAnswer(QStringList{"/a/raport", "/a/drugi.fp3"});
  queueFileAnswer(QStringList{"/a/plik.txt"});
  queueFileAnswer(std::nullopt);
  // One file unless several are allowed; a name without extension gets the default one.
  std::optional<FileDialogAnswer> answer = fileDialog(open);
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->files, QStringList({"/a/raport.fp3"}));
  open.multiSelect = false;
  answer = fileDialog(open);
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->files, QStringList({"/a/plik.txt"}));
  FileDialogRequest save;
  save.save = true;
  save.title = QStringLiteral("Zapisz raport");
  EXPECT_FALSE(fileDialog(save));  // a queued cancel
  EXPECT_FALSE(fileDialog(save));  // nothing queued: cancelled, never a made-up file
  EXPECT_EQ(recording.messages(), QStringList({"Otwórz", "Otwórz", "Zapisz raport", "Zapisz raport"}));
}

TEST(ChooserDialogs, ColourFontAndPrintDialogs) {
  RecordingScope recording;
  queueColorAnswer(QColor(Qt::red));
  EXPECT_EQ(colorDialog(Qt::black), QColor(Qt::red));
  EXPECT_FALSE(colorDialog(Qt::black));
  FontChoice font{QFont(QStringLiteral("Liberation Sans")), Qt::blue};
  queueFontAnswer(font);
  const std::optional<FontChoice> chosen = fontDialog(FontChoice{}, QStringLiteral("Czcionka nagłówka"));
  ASSERT_TRUE(chosen);
  EXPECT_EQ(chosen->font.family(), "Liberation Sans");
  EXPECT_EQ(chosen->color, QColor(Qt::blue));
  PrintSettings settings;
  settings.copies = 2;
  PrintSettings answer;
  answer.copies = 4;
  answer.range = PrintSettings::Range::Selection;
  queuePrintAnswer(answer);
  EXPECT_TRUE(printDialog(settings, false));
  EXPECT_EQ(settings.copies, 4);
  EXPECT_EQ(settings.range, PrintSettings::Range::Selection);
  // Cancelled: the settings stay as they were.
  EXPECT_FALSE(printDialog(settings, true));
  EXPECT_EQ(settings.copies, 4);
  EXPECT_EQ(recording.messages(),
            QStringList({"Kolor", "Kolor", "Czcionka nagłówka", "Drukuj", "Ustawienia wydruku"}));
}

}  // namespace valmoro::dialogs
