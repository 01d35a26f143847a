#pragma once
// The button row of the step-by-step dialogs: "< &Back", "&Next >" (which
// gives way to "Finish" on the last step) and "Cancel", which rejects the
// dialog. The dialog connects Back, Next and Finish to its own steps.

class QBoxLayout;
class QDialog;
class QPushButton;

struct CWizardButtons {
    QPushButton* back = nullptr;
    QPushButton* next = nullptr;
    QPushButton* finish = nullptr;

    // Adds the row, right-aligned, at the end of `layout`.
    void Create(QDialog* dialog, QBoxLayout* layout);
    // Shows the buttons for step `index` (from 0) of `count`; `goOn` says
    // whether the step may be left forwards.
    void Update(int index, int count, bool goOn = true) const;
};
