// Texts in UTF-8; the build turns them into code page 932 literals.
#pragma once

// The two option words of "WT初期化" that choose mouse mode; anything else is pen mode.
inline constexpr char mouse_mode_word_katakana[] = "マウスモード";
static_assert(sizeof(mouse_mode_word_katakana) - 1 == 12);
inline constexpr char mouse_mode_word_latin[] = "MOUSEモード";
static_assert(sizeof(mouse_mode_word_latin) - 1 == 11);

// Failures of the opening, one per step that can fail after the driver checks.
inline constexpr char open_message_no_tablet[] =
    "タブレットの情報を取得できませんでした。機器が接続されていない可能性があります";
static_assert(sizeof(open_message_no_tablet) - 1 == 78);
inline constexpr char open_message_hook_failed[] = "タブレットのためのメッセージのフックに失敗しました";
static_assert(sizeof(open_message_hook_failed) - 1 == 50);
inline constexpr char open_message_open_failed[] = "タブレットの初期化に失敗しました";
static_assert(sizeof(open_message_open_failed) - 1 == 32);
inline constexpr char open_message_no_queue[] = "タブレット用の受信キューを確保できませんでした";
static_assert(sizeof(open_message_no_queue) - 1 == 46);
inline constexpr char open_message_no_buffer[] = "タブレット用の受信バッファが確保できませんでした";
static_assert(sizeof(open_message_no_buffer) - 1 == 48);
