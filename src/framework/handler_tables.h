// The handler tables of a dialog or of a part of one: handlers keyed by command id and
// notification code, by control id and notification, by timer id and by message.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <utility>

namespace fw {

using Handler = std::function<void()>;
using NotifyHandler = std::function<LRESULT(NMHDR*)>;
using MessageHandler = std::function<LRESULT(WPARAM, LPARAM)>;

class HandlerTables {
public:
    void AddCommand(int id, int code, Handler handler) {
        commands_[{id, code}] = std::move(handler);
    }
    void AddNotify(int id, UINT code, NotifyHandler handler) {
        notifications_[{id, code}] = std::move(handler);
    }
    void AddTimer(UINT_PTR id, Handler handler) { timers_[id] = std::move(handler); }
    void AddMessage(UINT message, MessageHandler handler) {
        messages_[message] = std::move(handler);
    }

    // Each the handler registered for its key, or nullptr.
    const Handler* FindCommand(int id, int code) const { return Find(commands_, {id, code}); }
    const NotifyHandler* FindNotify(int id, UINT code) const {
        return Find(notifications_, {id, code});
    }
    const Handler* FindTimer(UINT_PTR id) const { return Find(timers_, id); }
    const MessageHandler* FindMessage(UINT message) const { return Find(messages_, message); }

private:
    template <typename Table>
    static const typename Table::mapped_type* Find(const Table& table,
                                                   const typename Table::key_type& key) {
        auto it = table.find(key);
        return it == table.end() ? nullptr : &it->second;
    }

    std::map<std::pair<int, int>, Handler> commands_;
    std::map<std::pair<int, UINT>, NotifyHandler> notifications_;
    std::map<UINT_PTR, Handler> timers_;
    std::map<UINT, MessageHandler> messages_;
};

// What a dialog or a part of one has in common: the handler tables it fills in its constructor.
// Button clicks and menu commands arrive with notification code 0.
class MessageTarget {
public:
    const HandlerTables& Handlers() const { return handlers_; }

protected:
    void OnCommand(int id, Handler handler) { OnCommand(id, 0, std::move(handler)); }
    void OnCommand(int id, int code, Handler handler) {
        handlers_.AddCommand(id, code, std::move(handler));
    }
    void OnNotify(int id, UINT code, NotifyHandler handler) {
        handlers_.AddNotify(id, code, std::move(handler));
    }
    void OnTimer(UINT_PTR id, Handler handler) { handlers_.AddTimer(id, std::move(handler)); }
    void OnMessage(UINT message, MessageHandler handler) {
        handlers_.AddMessage(message, std::move(handler));
    }

private:
    HandlerTables handlers_;
};

} // namespace fw
