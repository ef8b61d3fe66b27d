#include "tests/support/temp_directory.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace qv::test {

TempDirectory::TempDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qvtest-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  m_path = pattern;
}

TempDirectory::~TempDirectory() {
  if (!m_previous.empty()) (void)chdir(m_previous.c_str());
  std::error_code ignored;
  std::filesystem::remove_all(m_path, ignored);
}

void TempDirectory::Enter() {
  if (m_previous.empty()) m_previous = std::filesystem::current_path().string();
  std::filesystem::current_path(m_path);
}

void TempDirectory::Write(const std::string& name, const std::string& content) const {
  std::ofstream out(File(name), std::ios::binary);
  out << content;
}

std::string TempDirectory::Read(const std::string& name) const {
  std::ifstream in(File(name), std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool TempDirectory::Exists(const std::string& name) const {
  return std::filesystem::exists(File(name));
}

}  // namespace qv::test
