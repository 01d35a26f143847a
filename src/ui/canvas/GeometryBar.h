#pragma once
// "Position Toolbar": the position, size and angle of the selection as
// numbers. X and Y are the left and top edges measured from the face's
// top-left corner, W and H the size, in millimetres of the product (when the
// face's size is known) or in face pixels. The arrow keys step a field by
// one unit; every value entered or stepped is one edit (one undo step). With
// several objects selected X and Y move them together and W, H and the
// angle rest.

#include <QToolBar>

class QComboBox;
class QDoubleSpinBox;
class QSpinBox;
class CDrawObjectList;
class CEditService;

class CGeometryBar : public QToolBar {
    Q_OBJECT
public:
    CGeometryBar(CEditService& edits, QWidget* parent = nullptr);

    enum EField { kFieldX = 0, kFieldY, kFieldWidth, kFieldHeight, kFieldCount };
    QDoubleSpinBox* Field(EField field) const { return m_fields[field]; }
    QSpinBox* AngleField() const { return m_angle; }
    QComboBox* UnitChoice() const { return m_unit; }
    // Face pixels per millimetre of the face shown; 0 when unknown (only
    // pixels are offered then).
    double PixelsPerMm() const;
    // Shows the selection's numbers (after each edit and selection change).
    void Refresh();

private:
    void Commit(EField field);
    void CommitAngle();
    double Scale() const;  // pixels per shown unit

    CEditService& m_edits;
    QComboBox* m_unit;
    QDoubleSpinBox* m_fields[kFieldCount];
    QSpinBox* m_angle;
    bool m_updating = false;
    bool m_wantMm = true;  // the unit chosen; pixels stand in where millimetres are unknown
};
