// The macro file chooser: the *.mcr files that lie in the Macro folder, listed or not, to load
// one into the editor or to delete one from disk.
#pragma once

#include <QDialog>

class frmMacro;
class QListWidget;
class QPushButton;

class frmFileOpen : public QDialog {
    Q_OBJECT
public:
    explicit frmFileOpen(frmMacro& editor);

    void cmdOK_Click();
    void cmdCancel_Click() { done(QDialog::Rejected); }
    void cmdDelFile_Click();
    // Lists the folder again.
    void refresh();

    QListWidget* filMacroFile = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdDelFile = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QString selectedFile() const;

    frmMacro& editor_;
};
