#pragma once

namespace niv {

// Modal results: what ShowModal and the message boxes return. A window closed by its close box
// gives mrCancel; a box's Yes and No give mrYes and mrNo.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrYes = 6;
constexpr int mrNo = 7;

} // namespace niv
