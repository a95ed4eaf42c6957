// Texts in UTF-8; the build turns them into code page 932 literals.
#pragma once
