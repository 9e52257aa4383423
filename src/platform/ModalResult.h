#pragma once

namespace niv {

// Modal results, with the class library's values: what ShowModal and the message boxes return.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrYes = 6;
constexpr int mrNo = 7;

} // namespace niv
