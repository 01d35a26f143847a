#pragma once
// File > Export Artwork (PDF) and File > Export 3D Model: a small dialog of
// the export's options, then the save dialog, starting in the folder the
// last export of that kind went to (user settings, section "Dir").

#include <QDialog>

class CEditService;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;

class CExportArtworkDialog final : public QDialog {
public:
    explicit CExportArtworkDialog(QWidget* parent);
    double Bleed() const;
    bool Marks() const;
    int Dpi() const;  // 0: each picture at its own resolution

private:
    QDoubleSpinBox* m_bleed;
    QCheckBox* m_marks;
    QComboBox* m_dpi;
};

class CExportModelDialog final : public QDialog {
public:
    explicit CExportModelDialog(QWidget* parent);
    int TextureSize() const;

private:
    QComboBox* m_size;
};

// The whole commands on the document of `edits`, their dialogs over `parent`.
void RunExportArtwork(QWidget* parent, const CEditService& edits);
void RunExportModel(QWidget* parent, const CEditService& edits);
