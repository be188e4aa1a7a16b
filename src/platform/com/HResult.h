#pragma once
// Result codes in the platform's HRESULT form: the sign bit marks a failure, the low word is
// the code, bits 16..26 the facility. Every code the system tests for has a name here.
#include <cstdint>
#include <string>

namespace kavoro {

using HRESULT = std::int32_t;

constexpr HRESULT MakeHResult(std::uint32_t value) { return static_cast<HRESULT>(value); }

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// Generic codes.
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = MakeHResult(0x80004001);
constexpr HRESULT E_NOINTERFACE = MakeHResult(0x80004002);
constexpr HRESULT E_POINTER = MakeHResult(0x80004003);
constexpr HRESULT E_ABORT = MakeHResult(0x80004004);
constexpr HRESULT E_FAIL = MakeHResult(0x80004005);
constexpr HRESULT E_UNEXPECTED = MakeHResult(0x8000FFFF);
constexpr HRESULT E_ACCESSDENIED = MakeHResult(0x80070005);
constexpr HRESULT E_HANDLE = MakeHResult(0x80070006);
constexpr HRESULT E_OUTOFMEMORY = MakeHResult(0x8007000E);
constexpr HRESULT E_INVALIDARG = MakeHResult(0x80070057);

// Object creation.
constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHResult(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = MakeHResult(0x80040111);
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHResult(0x80040154);
constexpr HRESULT CO_E_DLLNOTFOUND = MakeHResult(0x800401F8);
constexpr HRESULT CO_E_ERRORINDLL = MakeHResult(0x800401F9);
constexpr HRESULT SELFREG_E_CLASS = MakeHResult(0x80040201);

// Win32 errors carried as HRESULTs.
constexpr HRESULT HRESULT_FILE_NOT_FOUND = MakeHResult(0x80070002);
constexpr HRESULT HRESULT_PATH_NOT_FOUND = MakeHResult(0x80070003);

// Structured storage.
constexpr HRESULT STG_E_INVALIDFUNCTION = MakeHResult(0x80030001);
constexpr HRESULT STG_E_FILENOTFOUND = MakeHResult(0x80030002);
constexpr HRESULT STG_E_PATHNOTFOUND = MakeHResult(0x80030003);
constexpr HRESULT STG_E_ACCESSDENIED = MakeHResult(0x80030005);
constexpr HRESULT STG_E_INVALIDPOINTER = MakeHResult(0x80030009);
constexpr HRESULT STG_E_INVALIDPARAMETER = MakeHResult(0x80030057);
constexpr HRESULT STG_E_MEDIUMFULL = MakeHResult(0x80030070);
constexpr HRESULT STG_E_READFAULT = MakeHResult(0x8003001E);
constexpr HRESULT STG_E_WRITEFAULT = MakeHResult(0x8003001D);
constexpr HRESULT STG_E_FILEALREADYEXISTS = MakeHResult(0x80030050);
constexpr HRESULT STG_E_INVALIDHEADER = MakeHResult(0x800300FB);
constexpr HRESULT STG_E_INVALIDNAME = MakeHResult(0x800300FC);
constexpr HRESULT STG_E_INVALIDFLAG = MakeHResult(0x800300FF);
constexpr HRESULT STG_E_DOCFILECORRUPT = MakeHResult(0x80030109);

// DVD graph building and navigation.
constexpr HRESULT VFW_E_DVD_NO_BUTTON = MakeHResult(0x80040278);
constexpr HRESULT VFW_E_DVD_RENDERFAIL = MakeHResult(0x8004027A);
constexpr HRESULT VFW_E_DVD_DECNOTENOUGH = MakeHResult(0x8004027B);

// "0x80004005" style text for logs and messages.
std::string HResultToString(HRESULT hr);

}  // namespace kavoro
