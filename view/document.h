// SPDX-License-Identifier: MIT
// The single document: it holds no data (the list reads the domain table), so new, open and save
// change nothing that can be seen.
#pragma once

namespace zonedesk {

class CMakeHtmlDoc
{
public:
    bool onNewDocument() { return true; }

    bool onOpenDocument() { return true; }

    bool onSaveDocument() { return true; }
};

} // namespace zonedesk
