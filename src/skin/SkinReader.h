#pragma once
// The skin reader: reads a skin folder's "Skin.ini" and its pictures into plain data, in the
// order of the steps of a load, and says what is wrong with it. It touches no window; the
// loader (SkinLoader.h) applies what it read.
#include "skin/SkinData.h"

#include <string>
#include <utility>
#include <vector>

namespace kavoro::skin {

// The description file every skin folder holds.
inline constexpr const char* kSkinFileName = "Skin.ini";

// Cuts text at its first separator: (the part before, the part after). A text without the
// separator is a last item with an empty rest. Any thread.
std::pair<std::string, std::string> SplitAtFirst(const std::string& text, char separator);

// Reads the skin in `folder` (with or without a trailing separator): every key of every
// section, with its default when missing, in the order of TSkinStep.
//
// A step fails on: a missing folder or "Skin.ini"; a picture that must exist and is missing
// (or only found in several letter cases); a picture that is not a readable Windows bitmap; a
// list with too few items, with an item that is not a whole number, or with extra items where
// the count is exact (colour triples, labels, the time panel).
//
// With gatherAll false the reader stops at the first failure. With gatherAll true it goes on
// through every step and records every problem, as a skin checker wants; only a missing folder
// or "Skin.ini" ends it early, since nothing else can be read then. Having read every step, it
// also warns of each section and key of "Skin.ini" that no step reads (a misspelt name gives
// the default without a word otherwise). Either way CompleteSteps
// is the number of steps read completely before the first failed one, and the data of those
// steps is complete; what a failed or later step filled in is not to be used.
//
// Problems, when given, receive every failure and warning in reading order, each naming its
// section, key and value (the caller owns the vector; the reader appends to it). Any thread
// (pictures are read into QImage only); reads the file system and never writes.
TSkinData ReadSkin(const std::string& folder, std::vector<TSkinProblem>* problems,
                   bool gatherAll);

}  // namespace kavoro::skin
