#pragma once
// The nine product kinds. They add no data: every answer is a constant or a
// lookup in the product's own settings.

#include "catalogue/product/Product.h"

// Business card and rounded membership card: one flat face.
class CCardProduct : public CProduct {
public:
    ModelShape GetModelShape() const override { return ModelShape::Card; }
    const char* GetKindName() const override { return "Card"; }
    const char* GetKindCode() const override { return "CARD"; }
    int GetFaceCount() const override { return 1; }
    const char* GetFaceName(int index) const override;
    int IsBoxKind() const override { return 0; }
    const char* GetFamilyName() const override { return "Business Card"; }
    int GetCornerRounding() const override { return 0; }
    int GetTableOffsetFor(int tablePosition) const override { return tablePosition == 1 ? 20 : 0; }
    int HasCDROM() const override { return 0; }
    int HasCDROMInside() const override { return 0; }
    int TestCDPosition() const override { return 0; }
    int HasPages() const override { return 0; }
    int HasPagesOnLeft() const override { return 0; }
    int HasBinding() const override { return 0; }
    int HasDepth() const override { return 0; }
    const char* GetSideLetters() const override { return "F"; }
};

class CRoundedCardProduct : public CCardProduct {
public:
    const char* GetKindName() const override { return "Rounded Card"; }
    const char* GetKindCode() const override { return "RCARD"; }
    const char* GetFamilyName() const override { return "Membership Card"; }
    int GetCornerRounding() const override { return 3; }
};

class CBoxProduct : public CProduct {
public:
    ModelShape GetModelShape() const override { return ModelShape::Solid; }
    const char* GetKindName() const override { return "Box"; }
    const char* GetKindCode() const override { return "BOX"; }
    int GetFaceCount() const override { return 5; }
    const char* GetFaceName(int index) const override;
    int IsBoxKind() const override { return 1; }
    const char* GetFamilyName() const override { return "Box"; }
    int GetCornerRounding() const override { return 0; }
    int GetTableOffsetFor(int) const override { return 0; }
    int HasCDROM() const override { return 0; }
    int HasCDROMInside() const override { return 0; }
    int TestCDPosition() const override { return 0; }
    int HasPages() const override { return 0; }
    int HasPagesOnLeft() const override { return 0; }
    int HasBinding() const override { return 0; }
    int HasDepth() const override { return 1; }
    const char* GetSideLetters() const override { return "FLRUD"; }
};

class CBoxCDProduct : public CBoxProduct {
public:
    const char* GetKindName() const override { return "Box with CD-ROM"; }
    const char* GetKindCode() const override { return "BOXCD"; }
    int GetFaceCount() const override { return 6; }
    const char* GetFaceName(int index) const override;
    int HasCDROM() const override { return 1; }
    int HasCDROMInside() const override { return 1; }
    int TestCDPosition() const override;
};

class CBookProduct : public CProduct {
public:
    ModelShape GetModelShape() const override { return ModelShape::Solid; }
    const char* GetKindName() const override { return "Book"; }
    const char* GetKindCode() const override { return "BOOK"; }
    int GetFaceCount() const override { return 5; }
    const char* GetFaceName(int index) const override;
    int IsBoxKind() const override { return 0; }
    const char* GetFamilyName() const override { return "Book"; }
    int GetCornerRounding() const override { return 0; }
    int GetTableOffsetFor(int) const override { return 0; }
    int HasCDROM() const override { return 0; }
    int HasCDROMInside() const override { return 0; }
    int TestCDPosition() const override { return 0; }
    int HasPages() const override { return 1; }
    int HasPagesOnLeft() const override { return 0; }
    int HasBinding() const override { return 0; }
    int HasDepth() const override { return 1; }
    const char* GetSideLetters() const override { return "FS"; }
};

class CBookCDProduct : public CBookProduct {
public:
    const char* GetKindName() const override { return "Book with CD-ROM"; }
    const char* GetKindCode() const override { return "BOOKCD"; }
    int GetFaceCount() const override { return 6; }
    const char* GetFaceName(int index) const override;
    int HasCDROM() const override { return 1; }
    int HasCDROMInside() const override { return 1; }
    int TestCDPosition() const override;
};

class CCDProduct : public CProduct {
public:
    ModelShape GetModelShape() const override { return ModelShape::Disc; }
    const char* GetKindName() const override { return "CD-ROM"; }
    const char* GetKindCode() const override { return "CD"; }
    int GetFaceCount() const override { return 1; }
    const char* GetFaceName(int) const override { return "CD-ROM"; }
    int IsBoxKind() const override { return 0; }
    const char* GetFamilyName() const override { return ""; }
    int GetCornerRounding() const override { return 0; }
    int GetTableOffsetFor(int tablePosition) const override { return tablePosition == 1 ? 20 : 0; }
    int HasCDROM() const override { return 1; }
    int HasCDROMInside() const override { return 0; }
    int TestCDPosition() const override { return 0; }
    int HasPages() const override { return 0; }
    int HasPagesOnLeft() const override { return 0; }
    int HasBinding() const override { return 0; }
    int HasDepth() const override { return 0; }
    const char* GetSideLetters() const override { return ""; }
};

class CBinderProduct : public CProduct {
public:
    ModelShape GetModelShape() const override { return ModelShape::Solid; }
    const char* GetKindName() const override { return "Binder"; }
    const char* GetKindCode() const override { return "BINDER"; }
    int GetFaceCount() const override { return 5; }
    const char* GetFaceName(int index) const override;
    int IsBoxKind() const override { return 0; }
    const char* GetFamilyName() const override { return "Binder"; }
    int GetCornerRounding() const override { return 0; }
    int GetTableOffsetFor(int) const override { return 0; }
    int HasCDROM() const override { return 0; }
    int HasCDROMInside() const override { return 0; }
    int TestCDPosition() const override { return 0; }
    int HasPages() const override { return 1; }
    int HasPagesOnLeft() const override { return 1; }
    int HasBinding() const override { return 1; }
    int HasDepth() const override { return 1; }
    const char* GetSideLetters() const override { return "F"; }
};

class CBinderCDProduct : public CBinderProduct {
public:
    const char* GetKindName() const override { return "Binder with CD-ROM"; }
    const char* GetKindCode() const override { return "BINDERCD"; }
    int GetFaceCount() const override { return 6; }
    const char* GetFaceName(int index) const override;
    int HasCDROM() const override { return 1; }
    int HasCDROMInside() const override { return 1; }
    int TestCDPosition() const override;
};
