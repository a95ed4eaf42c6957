// Texts in UTF-8; the build turns them into code page 932 literals.
#pragma once

// No driver module could be loaded, or the one loaded lacked WTInfoA, WTOpenA or WTClose.
inline constexpr char wintab_load_failed_text[] =
    "Wintab.dllの読み込みに失敗しているため、機能を利用できません";
static_assert(sizeof(wintab_load_failed_text) - 1 == 60);

// A driver module is held but lacks the entry point that the command needs.
inline constexpr char wintab_entry_missing_text[] =
    "該当する関数がWintab.dllに見つからないための、機能を利用できません";
static_assert(sizeof(wintab_entry_missing_text) - 1 == 66);
