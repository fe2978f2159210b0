// The key help window: for the chosen phone model, which PC key does what, with the keys the
// user assigned. Not modal, and never kept above other programs' windows.
#pragma once

#include "settings/Settings.h"

#include <QWidget>

class QAction;
class QComboBox;
class QMenu;
class QPushButton;
class QTreeWidget;

class frmKeyHelp : public QWidget {
    Q_OBJECT
public:
    // `iconSource`: the main window, whose icon the window takes. PdcType is read now and
    // written when the window closes.
    frmKeyHelp(Settings& settings, const KeyMap& keyMap, const QWidget* iconSource, QWidget* parent = nullptr);

    void AddKeyHelpRow(const QString& key, const QString& function, const QString& withCtrl,
                       const QString& reassignable);
    void FillKeyHelp();
    void mnuEdit_Click();
    void cmdClose_Click();
    // Settings.PdcType becomes the selected model (empty when none is selected).
    void StorePdcType();

    static constexpr int kMinimumTwips = 1065;

    QComboBox* cmbPdcType = nullptr;
    QTreeWidget* lstKeyHelp = nullptr;
    QPushButton* cmdClose = nullptr;
    QMenu* mnuMENU = nullptr;
    QAction* mnuEdit = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    int twipsToPixels(int twips) const;
    int pixelsToTwips(int pixels) const;

    Settings& settings_;
    const KeyMap& keyMap_;
};
