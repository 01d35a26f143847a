#pragma once
// The "Fit Picture To" dialog: a user's picture whose aspect ratio differs
// from the face it is meant for is either stretched over the face or cropped
// to it (keeping the first, the centre or the last part). A preview shows the
// fitted picture for the selected choice, made by the same fitting routine
// that builds the face picture.

#include "layout/face/FitPicture.h"

#include <QDialog>
#include <QImage>
#include <functional>
#include <optional>

class QButtonGroup;
class QLabel;
class QRadioButton;
class CRaster;

class CFitPictureDialog : public QDialog {
    Q_OBJECT
public:
    // `picture` must outlive the dialog. `previousAnswer` is the choice made
    // the last time (-1 counts as stretch).
    CFitPictureDialog(const CRaster& picture, int faceWidth, int faceHeight, const QString& faceName,
                      const QString& productName, int previousAnswer, QWidget* parent = nullptr);

    // The ratios are equal: the dialog closes at once with the answer -1.
    bool Fits() const { return m_opening.fits; }
    // -1 when the picture fits, else 0 stretch, 1 first part, 2 centre, 3 last part.
    int Answer() const;
    void SetAnswer(int answer);

    // Shows the dialog modally unless the picture fits (then Accepted at once).
    int exec() override;

    const CFitPictureOpening& Opening() const { return m_opening; }
    QLabel* Explanation() const { return m_explanation; }
    // The radio button of an answer 0..3; null for others or a fitting picture.
    QRadioButton* ChoiceButton(int answer) const;
    // The fitted picture for the selected choice, at its own size (the
    // preview shows it reduced).
    const QImage& PreviewPicture() const { return m_fitted; }
    QLabel* Preview() const { return m_preview; }

    // Tests answer the dialog themselves: the runner gets the dialog ready to
    // be shown and returns true for OK. Without one it runs modally.
    using Runner = std::function<bool(CFitPictureDialog& dialog)>;
    static void SetRunner(Runner runner);

private:
    void UpdatePreview();

    const CRaster& m_picture;
    int m_faceWidth, m_faceHeight;
    CFitPictureOpening m_opening;
    QButtonGroup* m_choices = nullptr;
    QRadioButton* m_buttons[4] = {};
    QLabel* m_explanation = nullptr;
    QLabel* m_preview = nullptr;
    QImage m_fitted;
    QImage m_cache[4];  // fitted pictures by answer, made when first shown
};

// Asks how `picture` is fitted to a face of faceWidth x faceHeight pixels:
// -1 when the ratios are equal (nothing is shown), 0..3 the user's choice,
// no value when the user cancelled.
std::optional<int> AskFitPicture(QWidget* parent, const CRaster& picture, int faceWidth, int faceHeight,
                                 const QString& faceName, const QString& productName, int previousAnswer);
