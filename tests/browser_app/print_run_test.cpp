// The print run: the options dialog's settings, the run lock, cancelling, and printing the
// listed or selected designs into a PDF through the print dialog's printer.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QFile>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QWidget>

#include "browser/app/print_options_dialog.h"
#include "browser/app/print_run.h"

namespace lh {
namespace {

FileList sampleList() {
  FileList list;
  for (const char* name : {"flower.pes", "letters.pes", "quilt.pes", "spiral.dst"})
    list.append(parseItemText(std::string(LH_SAMPLES_DIR) + "/" + name));
  return list;
}

TEST(PrintOptions, DialogStoresWhatWasChosen) {
  MemorySettings store;
  PrintOptionsDialog dialog(store, QStringLiteral("Loomhall Atelier"));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select Print Options"));
  EXPECT_EQ(dialog.modeButtons().checkedId(), 0);
  EXPECT_EQ(dialog.options().title, "Loomhall Atelier");  // the window's title until one is stored
  dialog.modeButtons().button(1)->click();
  dialog.rangeButtons().button(1)->click();
  dialog.runSetup = [](PrintSetupDialog& setup) {
    EXPECT_EQ(setup.windowTitle(), QStringLiteral("Printed Catalog Setup"));
    setup.title().setText(QStringLiteral("Spring"));
    setup.rows().setValue(4);
    return int(QDialog::Accepted);
  };
  dialog.openSetup();
  dialog.runSetup = [](PrintSetupDialog& setup) {
    setup.columns().setValue(9);  // cancelled: not kept
    return int(QDialog::Rejected);
  };
  dialog.openSetup();
  dialog.accept();
  const print::PrintOptions stored = print::loadPrintOptions(store, "unused");
  EXPECT_EQ(stored.mode, print::PrintMode::FullSize);
  EXPECT_TRUE(stored.selectedOnly);
  EXPECT_EQ(stored.title, "Spring");
  EXPECT_EQ(stored.rows, 4);
  EXPECT_EQ(stored.columns, 2);
}

class PrintRunTest : public ::testing::Test {
 protected:
  QWidget window;
  RunState run;
  MemorySettings store;
  QTemporaryDir dir;
  CatalogPrintRun printing{&window, run, store};
  int optionsShown = 0;
  bool lockedWhileAsked = false;

  void answerOptions(bool accept, std::function<void(PrintOptionsDialog&)> choose = {}) {
    printing.runOptions = [=, this](PrintOptionsDialog& d) {
      ++optionsShown;
      lockedWhileAsked = run.toolRunning();
      if (choose) choose(d);
      return accept ? int(QDialog::Accepted) : int(QDialog::Rejected);
    };
  }
  QString pdf() const { return dir.filePath("catalog.pdf"); }
  void printToPdf(bool landscape) {
    printing.runPrintDialog = [this, landscape](QPrintDialog&, QPrinter& printer) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(pdf());
      printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
      return int(QDialog::Accepted);
    };
  }
};

TEST_F(PrintRunTest, PrintsTheListIntoTheChosenPrinterAndStoresTheOrientation) {
  const FileList list = sampleList();
  answerOptions(true, [](PrintOptionsDialog& d) { d.modeButtons().button(0)->click(); });
  printToPdf(true);
  // Four designs fit one page of the 3 x 2 grid (2 x 3 on a landscape page).
  EXPECT_EQ(printing.start(list, false), 1);
  EXPECT_TRUE(lockedWhileAsked);
  EXPECT_FALSE(run.toolRunning());
  EXPECT_TRUE(window.isEnabled());
  EXPECT_TRUE(QFile::exists(pdf()));
  EXPECT_EQ(store.getInt("Settings", "Landscape", -1), 1);
  store.setInt("Print", "Rows", 1);
  store.setInt("Print", "Columns", 1);
  printToPdf(false);
  EXPECT_EQ(printing.start(list, false), 4);
  EXPECT_EQ(store.getInt("Settings", "Landscape", -1), 0);
}

TEST_F(PrintRunTest, SelectedDesignsOnlyOnePagePerDesign) {
  FileList list = sampleList();
  list.click(1);
  list.ctrlClick(3);
  answerOptions(true, [](PrintOptionsDialog& d) {
    d.modeButtons().button(1)->click();   // full size
    d.rangeButtons().button(1)->click();  // selected only
  });
  printToPdf(false);
  EXPECT_EQ(printing.start(list, false), 2);
  EXPECT_EQ(printItems(list, true).size(), 2u);
  EXPECT_EQ(printItems(list, false).size(), 4u);
}

TEST_F(PrintRunTest, NothingHappensInARunAndCancelEndsTheRun) {
  const FileList list = sampleList();
  run.beginRun();
  answerOptions(true);
  printToPdf(false);
  EXPECT_EQ(printing.start(list, false), 0);
  EXPECT_EQ(optionsShown, 0);
  EXPECT_TRUE(run.toolRunning());  // the other run is left alone
  run.endRun();

  answerOptions(false);
  EXPECT_EQ(printing.start(list, false), 0);
  EXPECT_EQ(optionsShown, 1);
  EXPECT_FALSE(run.toolRunning());

  // Selected only, with nothing selected: no print dialog, the run ends.
  answerOptions(true, [](PrintOptionsDialog& d) { d.rangeButtons().button(1)->click(); });
  bool printDialogShown = false;
  printing.runPrintDialog = [&](QPrintDialog&, QPrinter&) {
    printDialogShown = true;
    return int(QDialog::Rejected);
  };
  EXPECT_EQ(printing.start(list, false), 0);
  EXPECT_FALSE(printDialogShown);
  EXPECT_FALSE(run.toolRunning());
  EXPECT_FALSE(QFile::exists(pdf()));
}

}  // namespace
}  // namespace lh
