// The macro editor: the list of macros (order, removal, which files belong to it) and one
// macro's title, file name and command lines, built by recording keys, by buttons and by the
// command dialogs. OK publishes the list to the main window.
#pragma once

#include <QDialog>
#include <QStringList>
#include <array>
#include <cstdint>

class frmMain;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;

// The main window's icon, and kept above other programs when the main window is.
void TakeMainWindowLook(QWidget& window, frmMain& main);

// The resize rules of the chooser and the text dialog are in whole-window sizes, frame and
// title bar included, as the window manager draws the window.
QSize OuterSizeTwips(const QWidget& window);
// A window lower than `minimumTwips` is raised back to it. True when it was, the layout then
// following on the next resize.
bool RaisedToMinimumHeight(QWidget& window, int minimumTwips);

class frmMacro : public QDialog {
    Q_OBJECT
public:
    explicit frmMacro(frmMain& main);

    // Loads a file of the Macro folder: its commands, and its title when it has a title line.
    void ShowMacro(const QString& fileName);
    // Before the selected command (which stays selected), else at the end.
    void AddMacroCommand(const QString& line);
    QString MacroIndent() const;
    QString MacroIndentAt(int position) const;
    // True when the user keeps the edits; a No also puts the macro list's selection back.
    bool ConfirmDiscard();
    // True when the user cancels; a save that fails counts as cancelling.
    bool ConfirmSave();

    // The selected row of a list, -1 for none; selecting -1 clears the selection.
    static int selectedRow(const QListWidget* list);
    static void selectRow(QListWidget* list, int row);
    QStringList commands() const;
    void replaceCommand(int row, const QString& line);
    void removeCommand(int row);
    frmMain& mainWindow() { return main_; }

    void lstMacroList_Click();
    void chkRecording_Click();
    void txtInput_KeyDown(int virtualKey, Qt::KeyboardModifiers modifiers);
    void cmdAddWait_Click();
    void cmdAddText_Click();
    void AddDialog_Click();
    void cmdLoopStart_Click();
    void cmdAddCrlf_Click();
    void cmdAddLoopEnd_Click();
    void cmdComment_Click();
    void cmdCosmetic_Click();
    void cmdDelCommand_Click();
    void cmdUpCommand_Click();
    void cmdDownCommand_Click();
    // The dialog that edits the selected command, by its tag; false for a tag without one.
    bool EditSelectedCommand();
    void cmdDelMacro_Click();
    void cmdUpMacro_Click();
    void cmdDownMacro_Click();
    void cmdClearMacro_Click();
    void cmdFileOpen_Click();
    // True when the file was written.
    bool cmdSaveMacro_Click();
    void cmdSaveAs_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();
    // Enables the one re-edit entry that fits the selected command.
    void updateCommandMenu();

    QListWidget* lstMacroList = nullptr;
    QListWidget* lstFileName = nullptr;
    QPushButton* cmdUpMacro = nullptr;
    QPushButton* cmdDownMacro = nullptr;
    QPushButton* cmdDelMacro = nullptr;
    QGroupBox* fraMacroEdit = nullptr;
    QLineEdit* txtMacroName = nullptr;
    QLineEdit* txtFileName = nullptr;
    QPushButton* cmdFileOpen = nullptr;
    QPushButton* cmdClearMacro = nullptr;
    QPushButton* cmdSaveMacro = nullptr;
    QPushButton* cmdSaveAs = nullptr;
    QListWidget* lstMacro = nullptr;
    QPushButton* cmdDelCommand = nullptr;
    QPushButton* cmdUpCommand = nullptr;
    QPushButton* cmdDownCommand = nullptr;
    QGroupBox* fraEdit = nullptr;
    QCheckBox* chkRecording = nullptr;
    QLineEdit* txtInput = nullptr;
    QPushButton* cmdAddWait = nullptr;
    QPushButton* cmdAddText = nullptr;
    QPushButton* cmdAddCrlf = nullptr;
    QPushButton* cmdComment = nullptr;
    QPushButton* cmdLoopStart = nullptr;
    QPushButton* cmdAddLoopEnd = nullptr;
    QPushButton* AddDialog = nullptr;
    QPushButton* cmdCosmetic = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdHelp = nullptr;
    QMenu* macroMenu = nullptr;
    QMenu* commandMenu = nullptr;
    std::array<QAction*, 4> mnuMacroMenu{};
    std::array<QAction*, 9> mnuCommandMenu{};

    std::int16_t ShownMacroIndex = -1;
    bool MacroEdited = false;
    bool MacroEditMode = false;
    QStringList DeletedMacroFiles{QString()};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override { cmdCancel_Click(); }

private:
    void createControls();
    void createMenus();
    void wire();
    void Form_Load();
    void openCommandDialog(const QString& tag);
    void moveCommand(int row, int to);
    void moveMacro(int row, int to);
    // Moves the list's selected entry one step (-1 up, 1 down) when it has a neighbour there.
    void moveSelected(const QListWidget* list, int step, void (frmMacro::*move)(int, int));
    void addListedMacro(const QString& title, const QString& fileName);
    void publishMacroList();
    void deleteRemovedFiles();

    frmMain& main_;
    bool cancelRole_ = true;
};
