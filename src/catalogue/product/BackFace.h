#pragma once
// The printed back of boxes, cases and books: side "B", the face opposite the
// front, as wide and high as the front. A product saved before the back face
// existed has no side "B": its back is drawn as it always was until the user
// adds one.

class CProduct;
class CSide;

#include <memory>
#include <string>

inline constexpr char kBackFaceKey[] = "B";

// Box and book kinds (with or without CD-ROM); binders (whose back is the
// pages' side), cards and the CD-ROM have none.
bool CanHaveBackFace(const CProduct& product) noexcept;
bool HasBackFace(const CProduct& product) noexcept;

// Gives a product that can have a back face and has none its back: the
// front's size and appearance (colour, gradient, texture or pattern; a front
// picture is not repeated, that back starts white). False with `error` when
// the product cannot have one, already has one, or memory runs out.
bool AddBackFace(CProduct& product, std::string& error);

// Takes the back face out of the product and gives it to the caller (null
// when the product has none); the other sides keep their order. Undoing
// Add Back Face puts the same side back with AddSide.
std::unique_ptr<CSide> TakeBackFace(CProduct& product);
