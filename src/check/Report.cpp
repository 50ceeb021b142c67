// Report: text and tab-separated forms of the findings.

#include "check/Report.h"

#include <algorithm>

namespace check {
namespace {

const std::string kEol = "\r\n";

std::string KindText(Severity severity) { return severity == Severity::Error ? "ошибка" : "предупреждение"; }

std::string Title(const Block& block) {
  switch (block.scope) {
    case Scope::Computer: return "Компьютер " + block.name;
    case Scope::AnswerFile: return "Файл ответов " + block.name;
    case Scope::Across: return "Между компьютерами";
    case Scope::UDBFile: return "Файл UDB " + block.name;
    case Scope::EditorConfig: return "Настройки редактора " + block.name;
  }
  return block.name;
}

std::string Where(const Block& block) { return block.scope == Scope::Across ? "между компьютерами" : block.name; }

// The report prints the computers first and the findings across them after
// them, then the files' own.
int Order(Scope scope) {
  switch (scope) {
    case Scope::Computer:
    case Scope::AnswerFile: return 0;
    case Scope::Across: return 1;
    case Scope::UDBFile: return 2;
    case Scope::EditorConfig: return 3;
  }
  return 4;
}

std::vector<const Block*> Ordered(const CheckResult& result) {
  std::vector<const Block*> blocks;
  for (const Block& block : result.blocks)
    if (!block.findings.empty()) blocks.push_back(&block);
  std::stable_sort(blocks.begin(), blocks.end(),
                   [](const Block* a, const Block* b) { return Order(a->scope) < Order(b->scope); });
  return blocks;
}

std::string Field(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
  return text;
}

size_t Count(const CheckResult& result, Severity severity) {
  size_t n = 0;
  for (const Block& block : result.blocks)
    n += static_cast<size_t>(std::count_if(block.findings.begin(), block.findings.end(),
                                           [&](const Finding& f) { return f.severity == severity; }));
  return n;
}

}  // namespace

std::string TextReport(const CheckResult& result) {
  std::string out = "Проверка файла ответов " + result.answerFile;
  for (const std::string& udb : result.udbFiles) out += ", UDB " + udb;
  out += kEol;
  if (!result.configFile.empty()) out += "Настройки редактора: " + result.configFile + kEol;
  for (const Block* block : Ordered(result)) {
    out += kEol + Title(*block) + ":" + kEol;
    for (const Finding& f : block->findings) {
      out += "  " + KindText(f.severity) + ": ";
      if (!f.section.empty()) out += "[" + f.section + "]";
      if (!f.key.empty()) out += " " + f.key;
      if (!f.key.empty() || !f.value.empty()) out += " = «" + f.value + "»";
      out += kEol + "    " + Field(f.reason) + kEol;
    }
  }
  const size_t errors = Count(result, Severity::Error), warnings = Count(result, Severity::Warning);
  out += kEol;
  out += "Итого: " +
         (result.computers > 0 ? "компьютеров проверено " + std::to_string(result.computers)
                               : std::string("проверен файл ответов без UDB")) +
         ", ошибок " + std::to_string(errors) + ", предупреждений " + std::to_string(warnings) + "." + kEol;
  return out;
}

std::string TsvReport(const CheckResult& result) {
  std::string out = std::string("Где\tВид\tРаздел\tКлюч\tЗначение\tПричина") + kEol;
  for (const Block* block : Ordered(result))
    for (const Finding& f : block->findings)
      out += Field(Where(*block)) + "\t" + KindText(f.severity) + "\t" + Field(f.section) + "\t" + Field(f.key) + "\t" +
             Field(f.value) + "\t" + Field(f.reason) + kEol;
  return out;
}

int ExitCodeOf(const CheckResult& result) {
  if (Count(result, Severity::Error) > 0) return 2;
  return Count(result, Severity::Warning) > 0 ? 1 : 0;
}

}  // namespace check
