// Texts in UTF-8; the build turns them into code page 932 literals.
#pragma once

inline constexpr char command_ok_text[] = "OK";
static_assert(sizeof(command_ok_text) - 1 == 2);

// "WT有効" or "WT無効" while no context is open.
inline constexpr char tablet_not_open_text[] = "タブレットは初期化されていません";
static_assert(sizeof(tablet_not_open_text) - 1 == 32);
