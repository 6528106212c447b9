// Steam's KeyValues text: quoted or bare tokens, braces for blocks, "//"
// comments, backslash escapes inside quotes.
#include "app/installations/steam_library_list.h"

#include "posix/name_folding.h"

#include <cctype>

namespace {

// Deeper blocks than Steam writes are not a library list.
constexpr int kDepthCap = 16;

class KeyValuesTokens {
public:
  enum class Kind { Text, Open, Close, End, Bad };
  struct Token {
    Kind kind = Kind::End;
    std::string text;
  };

  explicit KeyValuesTokens(std::string_view text) : text_(text) {}

  Token next() {
    skipBlanksAndComments();
    if (at_ >= text_.size())
      return {Kind::End, {}};
    const char c = text_[at_];
    if (c == '{' || c == '}') {
      ++at_;
      return {c == '{' ? Kind::Open : Kind::Close, {}};
    }
    return c == '"' ? quoted() : bare();
  }

private:
  void skipBlanksAndComments() {
    while (at_ < text_.size()) {
      if (std::isspace(static_cast<unsigned char>(text_[at_]))) {
        ++at_;
      } else if (text_.substr(at_, 2) == "//") {
        const std::size_t end = text_.find('\n', at_);
        at_ = end == std::string_view::npos ? text_.size() : end;
      } else {
        return;
      }
    }
  }

  Token quoted() {
    std::string value;
    for (++at_; at_ < text_.size(); ++at_) {
      char c = text_[at_];
      if (c == '"') {
        ++at_;
        return {Kind::Text, std::move(value)};
      }
      if (c == '\\' && at_ + 1 < text_.size()) {
        c = text_[++at_];
        c = c == 'n' ? '\n' : c == 't' ? '\t' : c;
      }
      value.push_back(c);
    }
    return {Kind::Bad, {}}; // a quote that never closes
  }

  Token bare() {
    const std::size_t start = at_;
    while (at_ < text_.size() && !std::isspace(static_cast<unsigned char>(text_[at_])) && text_[at_] != '"' &&
           text_[at_] != '{' && text_[at_] != '}')
      ++at_;
    return {Kind::Text, std::string(text_.substr(start, at_ - start))};
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

using Kind = KeyValuesTokens::Kind;

// What a block is to the library list.
enum class Role { Other, List, Library };

// Reads the block after its "{" up to and with its "}" (at depth 0, the
// whole text), adding to `folders` each library's folder; false when a
// block does not close or nests too deep.
bool readBlock(KeyValuesTokens &tokens, int depth, Role role, std::vector<std::string> &folders) {
  if (depth > kDepthCap)
    return false;
  for (;;) {
    KeyValuesTokens::Token key = tokens.next();
    if (key.kind == Kind::Close)
      return depth > 0;
    if (key.kind == Kind::End)
      return depth == 0;
    if (key.kind != Kind::Text)
      return false;
    KeyValuesTokens::Token value = tokens.next();
    if (value.kind == Kind::Open) {
      Role inner = Role::Other;
      if (depth == 0 && equalsAsciiFolded(key.text, "libraryfolders"))
        inner = Role::List;
      else if (role == Role::List)
        inner = Role::Library;
      if (!readBlock(tokens, depth + 1, inner, folders))
        return false;
      continue;
    }
    if (value.kind != Kind::Text)
      return false;
    // Since 2021 each library is a block of its own holding its "path"; the
    // older list names each library's folder after a number.
    const bool numbered = !key.text.empty() && std::isdigit(static_cast<unsigned char>(key.text[0]));
    if ((role == Role::List && numbered) || (role == Role::Library && equalsAsciiFolded(key.text, "path")))
      folders.push_back(std::move(value.text));
  }
}

} // namespace

std::optional<std::vector<std::string>> steamLibraryFolders(std::string_view text) {
  KeyValuesTokens tokens(text);
  std::vector<std::string> folders;
  if (!readBlock(tokens, 0, Role::Other, folders))
    return std::nullopt;
  return folders;
}
