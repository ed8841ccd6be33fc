// The generated parts of docs/script-reference.md: the action codes (from the check's field
// table), the sections and keys (from the key tables the check uses), and the text ids with
// their built-in texts (from the engine's string table). Each part stands between the lines
//   <!-- BEGIN GENERATED: NAME -->  and  <!-- END GENERATED: NAME -->
// and is written anew by `vxpack --reference FILE`; the prose around them is left alone.
#pragma once
#include <string>
#include <vector>

namespace vx::pack {

// The document with every generated part written anew. False, with the reason, when a part
// is missing or a table holds a key or code the reference has no words for.
bool FillReference(const std::string& document, std::string& out, std::string& error);

// The example action lines of the generated action table.
std::vector<std::string> ReferenceActionExamples();

}  // namespace vx::pack
