// How the question and the report lay out long names and paths.
#include "window/qt/move_report_window.h"
#include "window/qt/path_wrapping_label.h"
#include "window/qt/question_dialog.h"

#include "wait_for.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QTest>
#include <QTextLayout>
#include <QTreeWidget>

#include <algorithm>

namespace {

// The lines `label` shows its text in, as its own width wraps them.
QStringList shownLines(const PathWrappingLabel &label) {
  const QString text = label.QLabel::text();
  QTextLayout layout(text, label.font());
  QTextOption option;
  option.setWrapMode(QTextOption::WordWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  QStringList lines;
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(label.contentsRect().width());
    lines << text.mid(line.textStart(), line.textLength()).trimmed();
  }
  layout.endLayout();
  return lines;
}

TEST(DialogLayout, APathInAQuestionBreaksOnlyAtItsSpaces) {
  const QString path = QStringLiteral("/Volumes/Macintosh HD/Applications/Unreal Tournament 2004.app/"
                                      "StaticMeshes/AlienTechMeshesForTheLongestNames");
  const QString explanation = QStringLiteral("The packages go into the game at %1, under their real names.").arg(path);
  QuestionDialog question(QStringLiteral("Move Packages"), QStringLiteral("Move 3 packages into the game?"),
                          explanation, QStringLiteral("Move"), nullptr);
  question.show();
  PathWrappingLabel *shown = nullptr;
  for (PathWrappingLabel *label : question.findChildren<PathWrappingLabel *>())
    shown = label->text() == explanation ? label : shown;
  ASSERT_NE(shown, nullptr) << "the text as given";
  for (const int width : {420, 520, 700}) {
    const int wanted = std::max(width + 120, question.minimumWidth());
    question.resize(wanted, question.height());
    // The window takes its new width when the platform says so; its layout
    // then gives the label its own at once.
    ASSERT_TRUE(waitUntil([&] { return question.width() == wanted; })) << width;
    const QStringList lines = shownLines(*shown);
    EXPECT_GT(lines.size(), 1) << width;
    for (const QString &line : lines)
      EXPECT_FALSE(line.endsWith(QLatin1Char('/')) || line.endsWith(QChar(0x2060))) << line.toStdString();
  }
  // A copy holds the path as it is, without what keeps its parts together.
  shown->setSelection(0, static_cast<int>(shown->QLabel::text().size()));
  shown->setFocus();
  QTest::keyClick(shown, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), explanation);
}

TEST(DialogLayout, TheReportsPackageColumnTakesTheRoomItsNamesNeed) {
  MoveReport report;
  report.moved.push_back({"DM-1on1-Trite.ut2", "M1", "", false});
  report.stayed.push_back({"CTF-BollwerkRuins-ThisIsTheFinalVersion-2004-Remix.ut2", "M2", "It has no cached file"});
  MoveReportWindow window(report, nullptr);
  window.show();
  const auto *tree = window.findChild<QTreeWidget *>();
  ASSERT_NE(tree, nullptr);
  const int needed = tree->fontMetrics().horizontalAdvance(QString::fromStdString(report.stayed[0].utName));
  EXPECT_GE(tree->columnWidth(0), needed + tree->indentation());
  EXPECT_LT(tree->columnWidth(0), window.width() / 2) << "the reasons keep their room";
}

} // namespace
