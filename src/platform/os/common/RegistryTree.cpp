#include "platform/os/common/RegistryTree.h"

#include <cstdio>

namespace kavoro::os {
namespace {

constexpr std::string_view kHeader = "KavoroRegistry 1";
constexpr std::string_view kTrailer = "End";
constexpr std::string_view kDword = "dword:";

std::string Fold(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A quoted string at the start of `s`: its unescaped content and the rest after the
// closing quote. nullopt when unterminated or badly escaped.
std::optional<std::pair<std::string, std::string_view>> TakeQuoted(std::string_view s) {
  if (s.empty() || s[0] != '"') return std::nullopt;
  for (std::size_t i = 1; i < s.size(); ++i) {
    if (s[i] == '\\') {
      ++i;  // skip the escaped character; validity is checked by Unescape
    } else if (s[i] == '"') {
      auto content = UnescapeRegistryString(s.substr(1, i - 1));
      if (!content) return std::nullopt;
      return std::make_pair(std::move(*content), s.substr(i + 1));
    }
  }
  return std::nullopt;
}

std::optional<std::uint32_t> ParseDword(std::string_view s) {
  if (s.size() != 8) return std::nullopt;
  std::uint32_t v = 0;
  for (char c : s) {
    int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    v = (v << 4) | static_cast<std::uint32_t>(d);
  }
  return v;
}

}  // namespace

std::vector<std::string> SplitKeyPath(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string NormalizeKeyPath(std::string_view path) {
  std::string out;
  for (const std::string& part : SplitKeyPath(path)) {
    if (!out.empty()) out += '\\';
    out += part;
  }
  return out;
}

StoreLocation MapRootKey(RootKey root, std::string_view path) {
  std::string p = NormalizeKeyPath(path);
  if (root != RootKey::ClassesRoot) return {root, std::move(p)};
  return {RootKey::LocalMachine, p.empty() ? "SOFTWARE\\Classes" : "SOFTWARE\\Classes\\" + p};
}

std::string EscapeRegistryString(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char ch : s) {
    auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char buf[5];
          std::snprintf(buf, sizeof buf, "\\x%02x", c);
          out += buf;
        } else {
          out += ch;
        }
    }
  }
  return out;
}

std::optional<std::string> UnescapeRegistryString(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '"') return std::nullopt;  // a raw quote is never written
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return std::nullopt;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i >= s.size()) return std::nullopt;
    switch (s[i]) {
      case '\\': out += '\\'; break;
      case '"': out += '"'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'x': {
        if (i + 2 >= s.size()) return std::nullopt;
        int hi = HexDigit(s[i + 1]), lo = HexDigit(s[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        break;
      }
      default: return std::nullopt;
    }
  }
  return out;
}

RegistryTree::RegistryTree() { Clear(); }

void RegistryTree::Clear() {
  keys_.clear();
  keys_[""];  // the root always exists
}

bool RegistryTree::operator==(const RegistryTree& other) const {
  if (keys_.size() != other.keys_.size()) return false;
  for (auto a = keys_.begin(), b = other.keys_.begin(); a != keys_.end(); ++a, ++b) {
    if (a->first != b->first || a->second.name != b->second.name ||
        a->second.values.size() != b->second.values.size())
      return false;
    for (auto va = a->second.values.begin(), vb = b->second.values.begin();
         va != a->second.values.end(); ++va, ++vb) {
      if (va->first != vb->first || va->second.name != vb->second.name ||
          va->second.value != vb->second.value)
        return false;
    }
  }
  return true;
}

const RegistryTree::Key* RegistryTree::Find(std::string_view path) const {
  auto it = keys_.find(Fold(NormalizeKeyPath(path)));
  return it == keys_.end() ? nullptr : &it->second;
}

RegistryTree::Key& RegistryTree::Create(std::string_view path, bool* created) {
  if (created) *created = false;
  Key* key = &keys_[""];
  std::string folded;
  for (const std::string& part : SplitKeyPath(path)) {
    if (!folded.empty()) folded += '\\';
    folded += Fold(part);
    auto [it, inserted] = keys_.try_emplace(folded);
    if (inserted) {
      it->second.name = part;
      if (created) *created = true;
    }
    key = &it->second;
  }
  return *key;
}

std::string RegistryTree::DisplayPath(const std::string& folded) const {
  std::string out;
  std::size_t start = 0;
  while (start < folded.size()) {
    std::size_t end = folded.find('\\', start);
    if (end == std::string::npos) end = folded.size();
    auto it = keys_.find(folded.substr(0, end));
    if (!out.empty()) out += '\\';
    out += it != keys_.end() ? it->second.name : folded.substr(start, end - start);
    start = end + 1;
  }
  return out;
}

bool RegistryTree::KeyExists(std::string_view path) const { return Find(path) != nullptr; }

bool RegistryTree::CreateKey(std::string_view path) {
  bool created = false;
  Create(path, &created);
  return created;
}

bool RegistryTree::DeleteKey(std::string_view path) {
  std::string folded = Fold(NormalizeKeyPath(path));
  if (folded.empty()) return false;
  auto it = keys_.find(folded);
  if (it == keys_.end()) return false;
  keys_.erase(it);
  // The subkeys sort together after the prefix, though not right after the key itself
  // ("a\\b!" sorts between "a\\b" and "a\\b\\c").
  const std::string prefix = folded + '\\';
  it = keys_.lower_bound(prefix);
  while (it != keys_.end() && it->first.compare(0, prefix.size(), prefix) == 0) it = keys_.erase(it);
  return true;
}

std::optional<RegValue> RegistryTree::ReadValue(std::string_view path,
                                                std::string_view name) const {
  const Key* key = Find(path);
  if (!key) return std::nullopt;
  auto it = key->values.find(Fold(name));
  if (it == key->values.end()) return std::nullopt;
  return it->second.value;
}

void RegistryTree::WriteValue(std::string_view path, std::string_view name,
                              const RegValue& value) {
  Key& key = Create(path, nullptr);
  auto [it, inserted] = key.values.try_emplace(Fold(name));
  if (inserted) it->second.name = std::string(name);
  it->second.value = value;
}

bool RegistryTree::DeleteValue(std::string_view path, std::string_view name) {
  auto it = keys_.find(Fold(NormalizeKeyPath(path)));
  if (it == keys_.end()) return false;
  return it->second.values.erase(Fold(name)) > 0;
}

std::vector<std::string> RegistryTree::ValueNames(std::string_view path) const {
  std::vector<std::string> names;
  if (const Key* key = Find(path))
    for (const auto& [folded, v] : key->values) names.push_back(v.name);
  return names;
}

std::vector<std::string> RegistryTree::SubKeyNames(std::string_view path) const {
  std::vector<std::string> names;
  std::string folded = Fold(NormalizeKeyPath(path));
  if (!keys_.count(folded)) return names;
  const std::string prefix = folded.empty() ? std::string() : folded + '\\';
  for (auto it = keys_.lower_bound(prefix);
       it != keys_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    if (it->first.size() == prefix.size()) continue;  // the root itself
    if (it->first.find('\\', prefix.size()) != std::string::npos) continue;  // deeper
    names.push_back(it->second.name);
  }
  return names;
}

std::string RegistryTree::Serialize() const {
  std::string out;
  out += kHeader;
  out += '\n';
  for (const auto& [folded, key] : keys_) {
    // The root is written only when it holds values; other keys always (empty keys exist).
    if (folded.empty() && key.values.empty()) continue;
    out += '[';
    out += EscapeRegistryString(DisplayPath(folded));
    out += "]\n";
    for (const auto& [vf, v] : key.values) {
      if (v.name.empty()) {
        out += '@';
      } else {
        out += '"';
        out += EscapeRegistryString(v.name);
        out += '"';
      }
      out += '=';
      if (const auto* s = std::get_if<std::string>(&v.value)) {
        out += '"';
        out += EscapeRegistryString(*s);
        out += '"';
      } else {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%08x", static_cast<unsigned>(std::get<std::uint32_t>(v.value)));
        out += kDword;
        out += buf;
      }
      out += '\n';
    }
  }
  out += kTrailer;
  out += '\n';
  return out;
}

RegistryTree::ParseResult RegistryTree::Parse(std::string_view text) {
  ParseResult result;
  RegistryTree& tree = result.tree;
  auto bad = [&] {
    result.damaged = true;
    ++result.skippedLines;
  };

  std::optional<std::string> current = std::string();  // nullopt: inside an unreadable key
  bool sawHeader = false, sawTrailer = false, contentAfterTrailer = false;
  std::size_t pos = 0, lineNo = 0;
  while (pos < text.size()) {
    std::size_t nl = text.find('\n', pos);
    bool complete = nl != std::string_view::npos;
    std::string_view line = text.substr(pos, complete ? nl - pos : std::string_view::npos);
    pos = complete ? nl + 1 : text.size();
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    if (!complete) {  // the last line was cut short: nothing in it can be trusted
      if (!line.empty()) bad();
      result.damaged = true;
      break;
    }
    if (line.empty()) continue;
    if (sawTrailer) contentAfterTrailer = true;
    if (lineNo == 1 && line == kHeader) {
      sawHeader = true;
      continue;
    }
    if (line == kTrailer) {
      sawTrailer = true;
      contentAfterTrailer = false;
      continue;
    }

    if (line[0] == '[') {
      std::optional<std::string> path;
      if (line.size() >= 2 && line.back() == ']')
        path = UnescapeRegistryString(line.substr(1, line.size() - 2));
      if (!path) {
        bad();
        current.reset();
        continue;
      }
      current = NormalizeKeyPath(*path);
      tree.CreateKey(*current);
      continue;
    }

    if (line[0] == '@' || line[0] == '"') {
      std::string name;
      std::string_view rest;
      if (line[0] == '@') {
        rest = line.substr(1);
      } else if (auto q = TakeQuoted(line)) {
        name = std::move(q->first);
        rest = q->second;
      } else {
        bad();
        continue;
      }
      if (rest.empty() || rest[0] != '=') {
        bad();
        continue;
      }
      rest.remove_prefix(1);
      std::optional<RegValue> value;
      if (auto q = TakeQuoted(rest); q && q->second.empty()) {
        value = std::move(q->first);
      } else if (rest.substr(0, kDword.size()) == kDword) {
        if (auto d = ParseDword(rest.substr(kDword.size()))) value = *d;
      }
      if (!value || !current) {
        bad();
        continue;
      }
      tree.WriteValue(*current, name, *value);
      continue;
    }
    bad();
  }
  if (!sawHeader || !sawTrailer || contentAfterTrailer) result.damaged = true;
  return result;
}

}  // namespace kavoro::os
