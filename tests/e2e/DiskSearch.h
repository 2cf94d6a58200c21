#pragma once
#include <string>
#include <vector>

namespace e2e {

// The forms a copied text takes in files: its 8-bit and its UTF-16 bytes.
std::vector<std::string> FormsOf(const std::string& text);
// The files of `folder` (ending with a backslash), temporaries included, that hold any of the forms.
std::vector<std::wstring> FilesHolding(const std::wstring& folder, const std::vector<std::string>& forms);

}  // namespace e2e
