// The music settings dialog and the folder chooser on the offscreen
// platform: what they show, the take-over however the dialog closes, the
// controls, Enter and "~".
#include <QtTest>
#include <QtWidgets>

#include "MusicSettingsDialog.h"
#include "QtFolderChooser.h"
#include "WindowRig.h"
#include "app/Ids.h"

using Closer = std::function<void(MusicSettingsDialog&)>;
Q_DECLARE_METATYPE(Closer)

class MusicDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void showsTheStateAndItsTexts() {
    WindowRig rig;
    rig.app.State.MP3Folder = "/home/u/Music/";
    rig.app.State.AlarmMessage = "Wake up";
    rig.app.State.UseMidi = false;
    MusicSettingsDialog dialog(rig.app, &rig.window);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Set folder for MP3 music files"));
    QCOMPARE(dialog.FolderEdit()->text(), QStringLiteral("/home/u/Music"));
    QCOMPARE(dialog.MessageEdit()->toPlainText(), QStringLiteral("Wake up"));
    QCOMPARE(dialog.Button(IdInternalMusicCheck)->isChecked(), false);
    QStringList texts;  // no Cancel
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) texts << button->text();
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
      texts << label->text();
      QCOMPARE(label->textFormat(), Qt::PlainText);
    }
    texts.sort();
    QCOMPARE(texts, (QStringList{"&Browse", "&Done", "&Play music", "&Stop music", "&Volume", "Alarm message",
                                 "Folder for MP3 songs:", "Or CTRL + mousewheel", "Play music from subfolders too",
                                 "Use internal music instead of MP3 songs"}));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
  }

  void everyWayOutTakesTheTextsOver_data() {
    QTest::addColumn<Closer>("close");
    QTest::newRow("Done") << Closer([](MusicSettingsDialog& d) { d.Button(IdDoneButton)->click(); });
    QTest::newRow("Escape") << Closer([](MusicSettingsDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    QTest::newRow("close box") << Closer([](MusicSettingsDialog& d) { d.close(); });
  }
  void everyWayOutTakesTheTextsOver() {
    QFETCH(Closer, close);
    WindowRig rig;
    ModalHandler handler([&](QWidget* modal) {
      auto* dialog = qobject_cast<MusicSettingsDialog*>(modal);
      dialog->FolderEdit()->setText(QStringLiteral("/songs"));
      dialog->MessageEdit()->setPlainText(QStringLiteral("  time for tea  "));
      close(*dialog);
      QVERIFY(!dialog->isVisible());
    });
    rig.window.OpenMusicDialog();
    QCOMPARE(rig.app.State.AlarmMessage, std::string("time for tea"));
    QCOMPARE(rig.fakes.store.Text("Software\\TimerZqv2010\\MP3Folder"), std::optional<std::string>("/songs/"));
  }

  // Each button and check box reaches its command; the rules behind them are
  // the core's and tested there.
  void controlsReachTheirCommands() {
    WindowRig rig;
    rig.app.State.UseMidi = true;
    rig.fakes.listing.AddFile("/new/", "song.mp3");
    MusicSettingsDialog dialog(rig.app, &rig.window);
    dialog.show();
    QTest::mouseClick(dialog.Button(IdSubfoldersCheck), Qt::LeftButton);
    QCOMPARE(rig.fakes.store.Text("Software\\TimerZqv2010\\SubfoldersOn"), std::optional<std::string>("0"));
    QTest::mouseClick(dialog.Button(IdInternalMusicCheck), Qt::LeftButton);
    QCOMPARE(rig.app.State.UseMidi, false);
    dialog.FolderEdit()->setText(QStringLiteral("/new"));
    dialog.Button(IdPlayButton)->click();  // takes the typed folder first
    QCOMPARE(rig.fakes.sound.openPath, std::string("/new/song.mp3"));
    dialog.Button(IdStopButton)->click();
    QCOMPARE(rig.fakes.sound.log.back(), std::string("close"));
    dialog.Button(IdVolumeButton)->click();
    QCOMPARE(rig.fakes.launcher.launched, std::vector<std::string>{"pavucontrol"});
    rig.fakes.chooser.answer = "/picked";
    dialog.Button(IdBrowseButton)->click();
    QCOMPARE(dialog.FolderEdit()->text(), QStringLiteral("/picked"));
  }

  void enterPressesOnlyTheFocusedPushButton_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("effect");
    QTest::newRow("Play music") << "button401" << "play";
    QTest::newRow("Stop music") << "button402" << "close";
    QTest::newRow("Done") << "button2" << "closed";
    QTest::newRow("alarm message") << "messageEdit" << "";
    QTest::newRow("folder box") << "folderEdit" << "";
    QTest::newRow("check box") << "check301" << "";
  }
  void enterPressesOnlyTheFocusedPushButton() {
    QFETCH(QString, focus);
    WindowRig rig;
    MusicSettingsDialog dialog(rig.app, &rig.window);
    dialog.MessageEdit()->setPlainText(QStringLiteral("Tea"));
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto* target = dialog.findChild<QWidget*>(focus);
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    for (auto key : {Qt::Key_Return, Qt::Key_Enter}) QTest::keyClick(target, key);
    QString seen = dialog.isVisible() ? QString() : QStringLiteral("closed");
    for (const std::string& call : rig.fakes.sound.log) {
      if (call == "play" || call == "close") seen = QString::fromStdString(call);
    }
    QTEST(seen, "effect");
    QCOMPARE(dialog.MessageEdit()->toPlainText(), QStringLiteral("Tea"));
    QVERIFY(dialog.Button(IdInternalMusicCheck)->isChecked());
  }

  void typedFolderWithTildeMeansHome_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("home") << "~" << "/home/tester/";
    QTest::newRow("below home") << "~/Songs" << "/home/tester/Songs/";
    QTest::newRow("another user's") << "~bob/Songs" << "~bob/Songs/";
    QTest::newRow("inside a name") << "/srv/a~b" << "/srv/a~b/";
  }
  void typedFolderWithTildeMeansHome() {
    QFETCH(QString, typed);
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", "/home/tester");
    WindowRig rig;
    MusicSettingsDialog dialog(rig.app, &rig.window);
    dialog.FolderEdit()->setText(typed);
    dialog.reject();
    qputenv("HOME", home);
    QTEST(QString::fromStdString(rig.app.State.MP3Folder), "kept");
  }

  // Its texts, folders only with no new-folder button, the choice or nothing.
  void folderChooser() {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("Songs"));
    const QString songs = QDir(dir.filePath(QStringLiteral("Songs"))).canonicalPath();
    QtFolderChooser chooser;
    for (bool choose : {true, false}) {
      ModalHandler handler([&](QWidget* modal) {
        auto* dialog = qobject_cast<FolderChooserDialog*>(modal);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Folder for MP3 Songs"));
        auto* prompt = dialog->findChild<QLabel*>(QStringLiteral("prompt"));
        QCOMPARE(prompt->text(), QStringLiteral("Which mp3 songs do you want to hear?"));
        QVERIFY(dialog->Files()->testOption(QFileDialog::ShowDirsOnly));
        auto* newFolder = dialog->Files()->findChild<QAbstractButton*>(QStringLiteral("newFolderButton"));
        QVERIFY(!newFolder || !newFolder->isVisibleTo(dialog));
        QCOMPARE(QDir(dialog->Files()->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
        dialog->Files()->setDirectory(songs);
        choose ? static_cast<QDialog*>(dialog->Files())->accept() : dialog->reject();
      });
      const auto chosen = chooser.ChooseFolder(dir.path().toStdString());
      QCOMPARE(chosen ? QDir(QString::fromStdString(*chosen)).canonicalPath() : QString(), choose ? songs : QString());
    }
  }
};

QTEST_MAIN(MusicDialogTest)
#include "MusicDialogTest.moc"
