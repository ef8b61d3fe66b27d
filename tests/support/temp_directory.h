// A fresh temporary directory for one test, removed with everything in it at the end. With
// Enter(), the test runs inside it and the previous working directory comes back afterwards.
#pragma once

#include <string>

namespace qv::test {

class TempDirectory {
 public:
  TempDirectory();
  ~TempDirectory();
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  const std::string& Path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + "/" + name; }
  // Makes this directory the current one until destruction.
  void Enter();

  void Write(const std::string& name, const std::string& content) const;
  std::string Read(const std::string& name) const;
  bool Exists(const std::string& name) const;

 private:
  std::string m_path;
  std::string m_previous;
};

}  // namespace qv::test
