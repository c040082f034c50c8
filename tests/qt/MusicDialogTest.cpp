// The music settings dialog and the folder chooser on the offscreen
// platform: what they show, the take-over however the dialog closes, and the
// buttons and check boxes.
#include <QtTest>
#include <QtWidgets>

#include "MusicSettingsDialog.h"
#include "QtFolderChooser.h"
#include "WindowRig.h"
#include "app/Ids.h"
#include "settings/MusicDialog.h"

Q_DECLARE_METATYPE(std::function<void(MusicSettingsDialog&)>)

class MusicDialogTest : public QObject {
  Q_OBJECT
  using Closer = std::function<void(MusicSettingsDialog&)>;

 private slots:
  void showsTheStateInItsTemplate() {
    WindowRig rig;
    rig.app.State.MP3Folder = "/home/u/Music/";
    rig.app.State.AlarmMessage = "Wake up";
    rig.app.State.UseMidi = false;
    rig.app.State.SubfoldersOn = true;
    MusicSettingsDialog dialog(rig.app, &rig.window);
    QCOMPARE(dialog.windowTitle(), QString::fromUtf8(MusicDialogTitle));
    QCOMPARE(dialog.FolderEdit()->text(), QStringLiteral("/home/u/Music"));
    QCOMPARE(dialog.MessageEdit()->toPlainText(), QStringLiteral("Wake up"));
    QCOMPARE(dialog.Button(IdInternalMusicCheck)->isChecked(), false);
    QCOMPARE(dialog.Button(IdSubfoldersCheck)->isChecked(), true);
    QStringList buttons;
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) buttons << button->text();
    buttons.sort();
    QCOMPARE(buttons, (QStringList{"&Browse", "&Done", "&Play music", "&Stop music", "&Volume"}));  // no Cancel
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
    rig.app.State.MP3Folder = "/old/";
    ModalHandler handler([&](QWidget* modal) {
      auto* dialog = qobject_cast<MusicSettingsDialog*>(modal);
      QVERIFY(dialog);
      dialog->FolderEdit()->setText(QStringLiteral("/songs"));
      dialog->MessageEdit()->setPlainText(QStringLiteral("  time for tea  "));
      close(*dialog);
      QVERIFY(!dialog->isVisible());
    });
    rig.window.OpenMusicDialog();
    QVERIFY(handler.seen);
    QCOMPARE(rig.app.State.AlarmMessage, std::string("time for tea"));
    QCOMPARE(rig.app.State.MP3Folder, std::string("/songs/"));
    QCOMPARE(rig.fakes.store.Text("Software\\TimerZqv2010\\MP3Folder"), std::optional<std::string>("/songs/"));
  }

  // Each button and check box reaches its command; the rules behind them are
  // the core's and tested there.
  void controlsReachTheirCommands() {
    WindowRig rig;
    rig.app.State.UseMidi = false;
    rig.app.State.MP3Folder = "/old/";
    rig.fakes.listing.AddFile("/new/", "song.mp3");
    MusicSettingsDialog dialog(rig.app, &rig.window);
    dialog.show();
    QTest::mouseClick(dialog.Button(IdInternalMusicCheck), Qt::LeftButton);
    QCOMPARE(rig.app.State.UseMidi, true);
    QTest::mouseClick(dialog.Button(IdSubfoldersCheck), Qt::LeftButton);
    QCOMPARE(rig.fakes.store.Text("Software\\TimerZqv2010\\SubfoldersOn"), std::optional<std::string>("0"));
    QTest::mouseClick(dialog.Button(IdInternalMusicCheck), Qt::LeftButton);
    QCOMPARE(dialog.Button(IdInternalMusicCheck)->isChecked(), false);
    dialog.FolderEdit()->setText(QStringLiteral("/new"));
    dialog.Button(IdPlayButton)->click();  // takes the typed folder first
    QCOMPARE(rig.fakes.sound.openPath, std::string("/new/song.mp3"));
    dialog.Button(IdStopButton)->click();
    QCOMPARE(rig.fakes.sound.log.back(), std::string("close"));
    dialog.Button(IdVolumeButton)->click();
    QCOMPARE(rig.fakes.launcher.launched.front(), std::string("pavucontrol"));
    rig.fakes.chooser.answer = "/picked";
    dialog.Button(IdBrowseButton)->click();
    QCOMPARE(dialog.FolderEdit()->text(), QStringLiteral("/picked"));
    dialog.reject();
    dialog.reject();  // a second close takes nothing over twice
    QCOMPARE(rig.app.State.MP3Folder, std::string("/picked/"));
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
    QFETCH(QString, effect);
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
    QCOMPARE(seen, effect);
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

  void folderChooserLooksRight() {
    QTemporaryDir dir;
    FolderChooserDialog chooser(nullptr, dir.path());
    chooser.show();
    QCOMPARE(chooser.windowTitle(), QString::fromUtf8(FolderChooserTitle));
    auto* prompt = chooser.findChild<QLabel*>(QStringLiteral("prompt"));
    QVERIFY(prompt);
    QCOMPARE(prompt->text(), QString::fromUtf8(FolderChooserPrompt));
    QCOMPARE(chooser.Files()->fileMode(), QFileDialog::Directory);
    QVERIFY(chooser.Files()->testOption(QFileDialog::ShowDirsOnly));
    QCOMPARE(QDir(chooser.Files()->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
    auto* newFolder = chooser.Files()->findChild<QAbstractButton*>(QStringLiteral("newFolderButton"));
    QVERIFY(!newFolder || !newFolder->isVisibleTo(&chooser));
  }

  void folderChooserReturnsTheChoiceOrNothing() {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("Songs"));
    const QString songs = dir.filePath(QStringLiteral("Songs"));
    QtFolderChooser chooser;
    {
      ModalHandler handler([&](QWidget* modal) {
        auto* dialog = qobject_cast<FolderChooserDialog*>(modal);
        QVERIFY(dialog);
        dialog->Files()->setDirectory(songs);
        static_cast<QDialog*>(dialog->Files())->accept();  // the Choose button
      });
      const auto chosen = chooser.ChooseFolder(dir.path().toStdString());
      QVERIFY(chosen);
      QCOMPARE(QDir(QString::fromStdString(*chosen)).canonicalPath(), QDir(songs).canonicalPath());
    }
    {
      ModalHandler handler([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
      QVERIFY(!chooser.ChooseFolder(songs.toStdString()));
      QVERIFY(handler.seen);
    }
  }
};

QTEST_MAIN(MusicDialogTest)
#include "MusicDialogTest.moc"
