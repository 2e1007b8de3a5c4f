#include "platform/platform.h"

void Platform::SetDocumentHandler(DocumentHandler handler) {
    std::vector<std::string> waiting;
    {
        std::lock_guard lock(documentMutex_);
        documentHandler_ = handler;
        if (handler) waiting.swap(waitingDocuments_);
    }
    for (const std::string& path : waiting) handler(path);
}

void Platform::OpenDocument(const std::string& path) {
    DocumentHandler handler;
    {
        std::lock_guard lock(documentMutex_);
        handler = documentHandler_;
        if (!handler) {
            waitingDocuments_.push_back(path);
            return;
        }
    }
    handler(path);
}
