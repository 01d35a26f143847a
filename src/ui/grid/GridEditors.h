#pragma once
// The editors the property grid opens over a row: the borderless in-place
// editor in its five modes, the "Lights" dialog, the "Page Depth Percentages"
// dialog and the CD-ROM image chooser. Each validates before it closes with OK
// and keeps itself open on a refusal.

#include <QDialog>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QImage;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSlider;
class CColorButton;

class CInPlaceEditor : public QDialog {
    Q_OBJECT
public:
    enum class EMode { Text = 1, Number = 2, Choice = 3, Colour = 4, Slider = 5 };

    CInPlaceEditor(EMode mode, const QString& editLabel, QWidget* parent = nullptr);

    EMode Mode() const noexcept { return m_mode; }

    // Text and number modes.
    void SetText(const QString& text);
    QString Text() const;
    // Number mode: the range and the unit word of the validation message.
    void SetRange(int minimum, int maximum, const QString& unit);
    // Choice mode.
    void SetChoices(const QStringList& names, const QString& current);
    QString Choice() const;
    int ChoiceIndex() const;
    void SetChoiceIndex(int index);
    // Colour mode; `check` returns false (after telling the user) to refuse.
    void SetColour(std::uint32_t colour);
    std::uint32_t Colour() const;
    void SetColourCheck(std::function<bool(std::uint32_t)> check) { m_colourCheck = std::move(check); }
    // Slider mode: a negative minimum is shifted to 0 for the track bar.
    void SetSlider(int minimum, int maximum, int value);
    int SliderValue() const;
    void SetSliderValue(int value);
    QSlider* Slider() const { return m_slider; }

    // The validated whole number of number mode (after accept()).
    int Number() const noexcept { return m_number; }

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateSliderText();
    bool m_keyStepping = false;  // an arrow key is moving through the closed list

    EMode m_mode;
    QString m_label;
    QLineEdit* m_edit = nullptr;
    QComboBox* m_combo = nullptr;
    CColorButton* m_colour = nullptr;
    QSlider* m_slider = nullptr;
    QLabel* m_sliderText = nullptr;
    int m_minimum = 0, m_maximum = 0, m_shift = 0, m_number = 0;
    QString m_unit;
    std::function<bool(std::uint32_t)> m_colourCheck;
};

// "Lights": a 5 x 5 grid of toggle buttons, the top row at the top.
class CLightsDialog : public QDialog {
    Q_OBJECT
public:
    explicit CLightsDialog(std::uint32_t mask, QWidget* parent = nullptr);
    std::uint32_t Mask() const;
    void SetLight(int column, int row, bool on);
    QPushButton* Button(int column, int row) const { return m_buttons[column][row]; }
    void accept() override;

private:
    QPushButton* m_buttons[5][5] = {};
};

// "Page Depth Percentages": front cover, pages and back cover adding up to 100.
class CPageDepthDialog : public QDialog {
    Q_OBJECT
public:
    CPageDepthDialog(int front, int pages, int back, QWidget* parent = nullptr);
    void SetTexts(const QString& front, const QString& pages, const QString& back);
    int Front() const noexcept { return m_values[0]; }
    int Pages() const noexcept { return m_values[1]; }
    int Back() const noexcept { return m_values[2]; }
    QString TotalText() const;
    bool CanAccept() const;
    void accept() override;

private:
    void UpdateTotal();
    QLineEdit* m_fields[3] = {};
    QLabel* m_total = nullptr;
    QPushButton* m_ok = nullptr;
    int m_values[3] = {10, 80, 10};
};

// A list of pictures with their names, one to be chosen ("Please select an
// item." when none is).
class CPictureChooser : public QDialog {
    Q_OBJECT
public:
    struct Item {
        QString name;     // shown under the thumbnail
        QString key;      // what the choice stores
        QString picture;  // full path of the picture shown (may be empty)
    };
    CPictureChooser(const QString& title, const QString& prompt, const std::vector<Item>& items,
                    const QString& current, QWidget* parent = nullptr);
    QString ChosenKey() const;
    QString ChosenName() const;
    void Choose(const QString& key);
    QListWidget* List() const { return m_list; }
    void accept() override;

private:
    QListWidget* m_list = nullptr;
    std::vector<Item> m_items;
};

// Loads a picture file of any of the program's formats into a QImage scaled
// to fit `size` x `size` (empty when it cannot be read).
QImage LoadThumbnail(const QString& path, int size);
