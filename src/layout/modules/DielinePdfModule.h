#pragma once
// The loadable module that adds the dieline's layer to a print PDF through
// PoDoFo. PoDoFo and the libraries it brings (libcrypto among them) cost
// every process that links them some 6,000 symbol bindings at start, about
// 2.8 ms of CPU; only a print PDF needs them, so the module is opened with
// the first one (CDielineLayer::AddTo) and the programs do not link it.

#include <string>

// File name of the module: installed in lib/vantorel/modules under the
// prefix, built in the build folder's modules/.
inline constexpr const char* kDielinePdfModule = "dieline-pdf.so";

// Its one entry point, by this name: adds the layer whose content stream is
// `content` to the first page of the PDF in `pdf`; false with `error` set when
// the PDF cannot be read or written.
inline constexpr const char* kDielinePdfEntry = "VtAddDielineLayer";
using DielinePdfEntry = bool (*)(std::string& pdf, const std::string& content, std::string& error);
