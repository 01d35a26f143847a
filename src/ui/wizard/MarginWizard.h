#pragma once
// The Margin command: a two-step wizard that adds a solid band along one edge
// of the current face, or a triangle in one of its corners, as one filled
// draw object. Step one picks the margin type and colour, step two its size
// as percentages of the face's width and height.

#include "ui/wizard/WizardButtons.h"
#include "image/Color.h"
#include "layout/shapes/Margin.h"

#include <QDialog>
#include <QImage>
#include <functional>

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QPushButton;
class QSlider;
class QStackedWidget;
class CColorButton;
class CEditService;

class CMarginWizard : public QDialog {
    Q_OBJECT
public:
    // The four size sliders: two horizontal ones above and below the face
    // preview (they set the horizontal extent), two vertical ones on its left
    // and right (they set the vertical extent; their position counts from the
    // top down).
    enum ESlider {
        kSliderTop = kMarginSliderTop,
        kSliderBottom = kMarginSliderBottom,
        kSliderLeft = kMarginSliderLeft,
        kSliderRight = kMarginSliderRight,
        kSliderCount = kMarginSliderCount
    };

    // faceWidth x faceHeight: the face picture's size in pixels (the preview
    // takes its proportions); `colour` the margin colour to start with;
    // `face`, when given, the face picture the preview shows the margin on.
    CMarginWizard(int faceWidth, int faceHeight, COLORREF colour, QWidget* parent = nullptr,
                  const QImage& face = QImage());

    static constexpr int PageCount() { return 2; }
    int CurrentIndex() const { return m_index; }
    // "Step %d of %d: %s" of the current page.
    QString Caption() const;

    int Type() const;
    void SetType(int type);
    COLORREF Colour() const;
    void SetColour(COLORREF colour);
    // Percent of the face width (h) and height (v) the margin takes, 1..99.
    int HorizontalPercent() const;
    int VerticalPercent() const;

    QAbstractButton* TypeButton(int type) const;
    CColorButton* ColourButton() const { return m_colour; }
    QSlider* Slider(ESlider which) const { return m_sliders[which]; }
    QLabel* SliderLabel(ESlider which) const { return m_labels[which]; }
    QLabel* Preview() const { return m_preview; }
    QPushButton* BackButton() const { return m_buttons.back; }
    QPushButton* NextButton() const { return m_buttons.next; }
    QPushButton* FinishButton() const { return m_buttons.finish; }

    bool Next();
    void Back();
    bool Finish();

    // Tests answer the wizard themselves: the runner gets the wizard ready to
    // be shown and returns true when it finished. Without one it runs modally.
    using Runner = std::function<bool(CMarginWizard& wizard)>;
    static void SetRunner(Runner runner);

private:
    void AddTypePage(COLORREF colour);
    void AddSizePage(const QImage& face);
    QSize AddPreview(QWidget* page, const QImage& face);
    void Show(int index);
    MarginSliderPositions Positions() const;
    void UpdateSliders();
    void UpdateArtwork();

    int m_faceWidth, m_faceHeight;
    int m_index = 0;
    QStackedWidget* m_stack = nullptr;
    QLabel* m_caption = nullptr;
    QButtonGroup* m_types = nullptr;
    CColorButton* m_colour = nullptr;
    QSlider* m_sliders[kSliderCount] = {};
    QLabel* m_labels[kSliderCount] = {};
    QLabel* m_preview = nullptr;
    QImage m_previewFace;  // the face picture at the preview's size (device pixels)
    CWizardButtons m_buttons;
};

// Runs the Margin command on the face `edits` shows (its picture
// `facePicture` in the wizard's preview): the wizard, then the margin object
// added as one undo step "Draw Margin"; its colour becomes the fill colour of
// new objects. False when no face is shown or the user cancelled.
bool RunMarginCommand(QWidget* parent, CEditService& edits, const QImage& facePicture);
