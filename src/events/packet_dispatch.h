// Tablet packets to script calls: the packet-message road, the mouse-move poll, and one packet's dispatch.
#pragma once

#include <windows.h>

int on_packet_message(WPARAM wparam, LPARAM lparam);
int on_mouse_move();
void dispatch_packet(const unsigned char* packet);
