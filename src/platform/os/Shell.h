#pragma once
// The desktop shell: opening a document with its default program, and the change
// notification after which the desktop repaints.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kavoro::os {

constexpr std::uint32_t SW_HIDE = 0;
constexpr std::uint32_t SW_SHOWNORMAL = 1;

constexpr std::uint32_t SHCNE_ASSOCCHANGED = 0x08000000;
constexpr std::uint32_t SHCNF_IDLIST = 0x0000;
constexpr std::uint32_t SHCNF_FLUSH = 0x1000;

// Results of ShellExecute above this value mean success.
constexpr std::intptr_t kShellExecuteSuccessAbove = 32;
constexpr std::intptr_t SE_ERR_FNF = 2;
constexpr std::intptr_t SE_ERR_NOASSOC = 31;

using ShellListener = std::function<void(std::uint32_t event, std::uint32_t flags)>;

// GUI thread only.
class IShell {
 public:
  virtual ~IShell() = default;
  // Opens `file` ("open" is the only operation served) with the desktop's default handler;
  // does not wait. Above kShellExecuteSuccessAbove on success, SE_ERR_FNF when the file does
  // not exist, SE_ERR_NOASSOC when no handler could be started.
  virtual std::intptr_t ShellExecute(std::string_view operation, std::string_view file,
                                     std::string_view parameters, std::string_view directory,
                                     std::uint32_t showCommand) = 0;
  // Tells every listener that the desktop changed.
  virtual void ChangeNotify(std::uint32_t event, std::uint32_t flags) = 0;
  // Returns a token for RemoveChangeListener.
  virtual int AddChangeListener(ShellListener listener) = 0;
  virtual void RemoveChangeListener(int token) = 0;
};

}  // namespace kavoro::os
