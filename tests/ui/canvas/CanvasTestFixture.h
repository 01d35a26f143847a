#pragma once
// What the canvas tests share: a shown main window with a box on its Front
// tab, and the mouse gestures and commands they drive it with.

#include "UiTestSupport.h"

class CCanvasFixture : public QObject {
protected:
    std::unique_ptr<CMainFrame> m_frame;
    CTestMessages m_messages;

    CFaceCanvas& Canvas() { return *m_frame->View()->Canvas(); }
    CDrawObjectList& Front() { return FaceList(*m_frame, "F"); }

    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers mods = {})
    {
        QTest::mousePress(&Canvas(), Qt::LeftButton, mods, from);
        QTest::mouseMove(&Canvas(), (from + to) / 2);
        QTest::mouseMove(&Canvas(), to);
        QTest::mouseRelease(&Canvas(), Qt::LeftButton, mods, to);
    }
    void DragFace(int x1, int y1, int x2, int y2, Qt::KeyboardModifiers mods = {})
    {
        Drag(At(Canvas(), x1, y1), At(Canvas(), x2, y2), mods);
    }
    void Click(int x, int y, Qt::KeyboardModifiers mods = {})
    {
        const QPoint p = At(Canvas(), x, y);
        QTest::mousePress(&Canvas(), Qt::LeftButton, mods, p);
        QTest::mouseRelease(&Canvas(), Qt::LeftButton, mods, p);
    }
    // A click, then a double click at the same face point (what ends a polygon).
    void DoubleClick(int x, int y)
    {
        Click(x, y);
        QTest::mouseDClick(&Canvas(), Qt::LeftButton, {}, At(Canvas(), x, y));
    }
    void Run(int id) { QVERIFY2(m_frame->RunCommand(id), qPrintable(QString::number(id))); }
    // Each test starts on a fresh window at 100 % with no messages and no undo steps.
    bool StartOnFront(int w = 200, int h = 100)
    {
        m_messages.Reset();
        CUndoStore::Instance().Clear();
        if (!ShowBoxOnFront(m_frame, w, h))
            return false;
        m_frame->RunCommand(ID_ZOOM_100);
        Repaint();
        return true;
    }
    void Repaint()
    {
        Canvas().repaint();
        QApplication::processEvents();
    }
    // Draws a rectangle with the rectangle tool and returns to the select tool.
    CDrawObject* DrawRect(int x1, int y1, int x2, int y2)
    {
        m_frame->RunCommand(ID_TOOL_RECT);
        DragFace(x1, y1, x2, y2);
        m_frame->RunCommand(ID_TOOL_SELECT);
        Repaint();
        return Front().GetObject(Front().GetObjectCount() - 1);
    }
};
