#pragma once
// Identification of the native layer, linked into Winelib programs as a plain static library.
namespace native {
// Text naming the native layer's build (compiler and C++ level), for the about box and logs.
const char* BuildDescription();
}
