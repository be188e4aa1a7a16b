#include "app/MediaErrorText.h"

#include <array>
#include <utility>

#include "platform/media/MediaErrors.h"

namespace kavoro::app {
namespace {

// The platform's codes for a missing file and a path that does not exist.
constexpr HRESULT kFileNotFound = MakeHResult(0x80070002);
constexpr HRESULT kPathNotFound = MakeHResult(0x80070003);
constexpr HRESULT kAccessDenied = MakeHResult(0x80070005);

constexpr std::array<std::pair<HRESULT, const char*>, 24> kTexts = {{
    {kFileNotFound, "The file does not exist."},
    {kPathNotFound, "The folder does not exist."},
    {kAccessDenied, "The file cannot be read (access denied)."},
    {VFW_E_NOT_FOUND, "The file does not exist."},
    {VFW_E_UNKNOWN_FILE_TYPE, "The file's type is not known."},
    {VFW_E_INVALID_FILE_FORMAT, "The file's format is not valid."},
    {VFW_E_FILE_TOO_SHORT, "The file is too short to be played."},
    {VFW_E_CANNOT_RENDER, "No decoder for this file's streams was found."},
    {VFW_E_CANNOT_CONNECT, "No decoder for this file's streams was found."},
    {VFW_E_CANNOT_LOAD_SOURCE_FILTER, "The file could not be opened."},
    {VFW_E_NO_ACCEPTABLE_TYPES, "The file's streams are in a format that cannot be shown."},
    {VFW_E_TIMEOUT, "The operation did not finish in time."},
    {E_OUTOFMEMORY, "There is not enough memory."},
    {E_INVALIDARG, "Invalid Argument."},
    {STG_E_FILENOTFOUND, "The file does not exist."},
    {STG_E_PATHNOTFOUND, "The folder does not exist."},
    {STG_E_ACCESSDENIED, "The file or its folder cannot be written (access denied)."},
    {STG_E_MEDIUMFULL, "The disk is full."},
    {STG_E_WRITEFAULT, "The file could not be written."},
    {STG_E_READFAULT, "The file could not be read."},
    {STG_E_INVALIDHEADER, "The file is damaged or is not a bookmark."},
    {VFW_E_DVD_STATE_CORRUPT, "The bookmark is damaged."},
    {VFW_E_DVD_STATE_WRONG_VERSION, "The bookmark was saved in a form this player does not read."},
    {VFW_E_DVD_STATE_WRONG_DISC, "The bookmark belongs to another disc."},
}};

}  // namespace

std::string MediaErrorText(HRESULT result) {
  for (const auto& [code, text] : kTexts)
    if (code == result) return text;
  return "Error " + HResultToString(result) + ".";
}

}  // namespace kavoro::app
