#pragma once
// What the property grid tests share: a main window holding a box whose
// rendering is small and quick, its grid, and editors answered by the test.

#include "UiTestSupport.h"

#include "app/GridRows.h"

#include <functional>
#include <optional>

inline void SetM(CProduct& p, std::uint32_t id, int value) { p.GetSettings().SetInt(ModelKey(id), value); }

class CGridFixture : public QObject {
protected:
    std::unique_ptr<CMainFrame> m_frame;
    CTestMessages m_messages;
    CPropertyGrid* m_grid = nullptr;
    std::optional<QTemporaryDir> m_dataDir;
    std::optional<CAppFolders> m_folders;

    CProduct& Product() { return *m_frame->Document()->GetProduct(); }
    SettingStore& Settings() { return Product().GetSettings(); }

    // Answers the next editor with `fill` and OK; records whether it closed.
    bool m_lastClosed = false;
    void Answer(std::function<void(QDialog&)> fill)
    {
        CPropertyGrid::SetEditorRunner([this, fill](QDialog& d) {
            fill(d);
            d.accept();
            m_lastClosed = d.result() == QDialog::Accepted;
            return m_lastClosed;
        });
    }

    void SetUp()
    {
        m_messages.Reset();
        m_frame = std::make_unique<CMainFrame>(QString());
        m_grid = m_frame->findChild<CPropertyGrid*>();
        QVERIFY(m_grid);
        GiveBoxProduct(*m_frame, 60, 40);
        // Small renders keep the test quick: 100 x 100 pixels, no enlargement.
        SetM(Product(), kSetRenderWidth, 100);
        SetM(Product(), kSetRenderHeight, 100);
        SetM(Product(), kSetMagnification, 1);
        m_frame->Document()->GetUndoStore().Clear();
    }

    // Gives the window a data folder of its own (settings, CD pictures), for this test only.
    bool UseDataFolder()
    {
        m_dataDir.emplace();
        std::string error;
        m_folders = CAppFolders::Create(m_dataDir->path().toStdString(), error);
        if (m_folders)
            m_frame->SetFolders(&*m_folders);
        return m_folders.has_value();
    }

    void TearDown()
    {
        CPropertyGrid::SetEditorRunner(nullptr);
        m_frame.reset();
        m_folders.reset();
        m_dataDir.reset();
        SetMessageHooks(nullptr, nullptr);
    }
};
