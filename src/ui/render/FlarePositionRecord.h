#pragma once
// Undo record of "Reposition Lens Flare": the two position settings (fractions
// of the picture's width and height) as they were before the click.

#include "app/undo/UndoRecord.h"

class CFlarePositionRecord final : public CUndoRecord {
public:
    // Update kind: the finishing effects must be applied again.
    static constexpr int kUpdateFinish = 4;

    explicit CFlarePositionRecord(CVtwinDoc& doc);

    bool Apply(UndoContext& context) override;
    std::unique_ptr<CUndoRecord> MakeInverse(UndoContext& context) override;
    int UpdateKind() const override { return kUpdateFinish; }

private:
    double m_x = 0.8;
    double m_y = 0.7;
    bool m_valid = false;
};
