// SPDX-License-Identifier: MIT
// A stand-in notification server for the desktop notification tests, run on a session bus the
// test started: it owns org.freedesktop.Notifications, appends each Notify call to FILE as one
// JSON line, and answers with 1, 2, 3, …; with --hang it records the call and never answers.
// It prints "ready" once the name is its own.
//
//   notification_listener [--hang] FILE

#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include <gio/gio.h>

#include <nlohmann/json.hpp>

namespace {

constexpr const char* BusName = "org.freedesktop.Notifications";
constexpr const char* ObjectPath = "/org/freedesktop/Notifications";

constexpr const char* Interface = R"(
<node>
  <interface name='org.freedesktop.Notifications'>
    <method name='Notify'>
      <arg type='s' name='app_name' direction='in'/>
      <arg type='u' name='replaces_id' direction='in'/>
      <arg type='s' name='app_icon' direction='in'/>
      <arg type='s' name='summary' direction='in'/>
      <arg type='s' name='body' direction='in'/>
      <arg type='as' name='actions' direction='in'/>
      <arg type='a{sv}' name='hints' direction='in'/>
      <arg type='i' name='expire_timeout' direction='in'/>
      <arg type='u' name='id' direction='out'/>
    </method>
    <method name='GetCapabilities'>
      <arg type='as' name='capabilities' direction='out'/>
    </method>
    <method name='GetServerInformation'>
      <arg type='s' name='name' direction='out'/>
      <arg type='s' name='vendor' direction='out'/>
      <arg type='s' name='version' direction='out'/>
      <arg type='s' name='spec_version' direction='out'/>
    </method>
  </interface>
</node>)";

struct Listener
{
    std::string logPath;
    bool hang = false;
    guint32 lastId = 0;
    GMainLoop* loop = nullptr;
    GDBusNodeInfo* node = nullptr;
    std::vector<GDBusMethodInvocation*> unanswered; // --hang: kept so that no error reply goes out
    int exitCode = 0;
};

nlohmann::json notifyCall(GVariant* parameters)
{
    const gchar* app = nullptr;
    guint32 replaces = 0;
    const gchar* icon = nullptr;
    const gchar* summary = nullptr;
    const gchar* body = nullptr;
    g_autoptr(GVariant) actions = nullptr;
    g_autoptr(GVariant) hints = nullptr;
    gint32 expire = 0;
    g_variant_get(parameters,
                  "(&su&s&s&s@as@a{sv}i)",
                  &app,
                  &replaces,
                  &icon,
                  &summary,
                  &body,
                  &actions,
                  &hints,
                  &expire);
    nlohmann::json call = {
        {"app_name", app},
        {"replaces_id", replaces},
        {"app_icon", icon},
        {"summary", summary},
        {"body", body},
        {"actions", g_variant_n_children(actions)},
        {"expire_timeout", expire},
    };
    guchar urgency = 0;
    call["urgency"] = g_variant_lookup(hints, "urgency", "y", &urgency) != FALSE ? nlohmann::json(urgency)
                                                                                 : nlohmann::json();
    const gchar* entry = nullptr;
    call["desktop_entry"] = g_variant_lookup(hints, "desktop-entry", "&s", &entry) != FALSE
                                ? nlohmann::json(entry)
                                : nlohmann::json();
    return call;
}

void methodCall(GDBusConnection* /*connection*/,
                const gchar* /*sender*/,
                const gchar* /*objectPath*/,
                const gchar* /*interfaceName*/,
                const gchar* method,
                GVariant* parameters,
                GDBusMethodInvocation* invocation,
                gpointer data)
{
    auto* listener = static_cast<Listener*>(data);
    const std::string_view name = method;
    if (name == "GetCapabilities") {
        const gchar* capabilities[] = {"body", "body-markup", nullptr};
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(^as)", capabilities));
    } else if (name == "GetServerInformation") {
        g_dbus_method_invocation_return_value(
            invocation, g_variant_new("(ssss)", "notification_listener", "zonedesk tests", "1", "1.2"));
    } else if (name == "Notify") {
        // Written and closed before the answer, so the line is there once the caller has its id.
        {
            std::ofstream log(listener->logPath, std::ios::app | std::ios::binary);
            log << notifyCall(parameters).dump() << '\n';
        }
        if (listener->hang) {
            listener->unanswered.push_back(invocation);
            g_object_ref(invocation);
            return;
        }
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(u)", ++listener->lastId));
    }
}

void busAcquired(GDBusConnection* connection, const gchar* /*name*/, gpointer data)
{
    auto* listener = static_cast<Listener*>(data);
    GDBusInterfaceVTable vtable{};
    vtable.method_call = &methodCall;
    g_autoptr(GError) error = nullptr;
    if (g_dbus_connection_register_object(
            connection, ObjectPath, listener->node->interfaces[0], &vtable, listener, nullptr, &error) == 0) {
        std::cerr << "notification_listener: " << error->message << "\n";
        listener->exitCode = 1;
        g_main_loop_quit(listener->loop);
    }
}

void nameAcquired(GDBusConnection* /*connection*/, const gchar* /*name*/, gpointer /*data*/)
{
    std::cout << "ready" << std::endl; // flushed: the test waits for it
}

void nameLost(GDBusConnection* /*connection*/, const gchar* /*name*/, gpointer data)
{
    auto* listener = static_cast<Listener*>(data);
    std::cerr << "notification_listener: the name is not ours (or there is no session bus)\n";
    listener->exitCode = 1;
    g_main_loop_quit(listener->loop);
}

} // namespace

int main(int argc, char** argv)
{
    Listener listener;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i]; // NOLINT(cppcoreguidelines-pro-bounds-pointer-arithmetic)
        if (arg == "--hang")
            listener.hang = true;
        else
            listener.logPath = arg;
    }
    if (listener.logPath.empty()) {
        std::cerr << "usage: notification_listener [--hang] FILE\n";
        return 2;
    }
    g_autoptr(GError) error = nullptr;
    listener.node = g_dbus_node_info_new_for_xml(Interface, &error);
    if (listener.node == nullptr) {
        std::cerr << "notification_listener: " << error->message << "\n";
        return 1;
    }
    listener.loop = g_main_loop_new(nullptr, FALSE);
    const guint owner = g_bus_own_name(G_BUS_TYPE_SESSION,
                                       BusName,
                                       G_BUS_NAME_OWNER_FLAGS_NONE,
                                       &busAcquired,
                                       &nameAcquired,
                                       &nameLost,
                                       &listener,
                                       nullptr);
    g_main_loop_run(listener.loop);
    g_bus_unown_name(owner);
    for (GDBusMethodInvocation* invocation : listener.unanswered)
        g_object_unref(invocation);
    g_main_loop_unref(listener.loop);
    g_dbus_node_info_unref(listener.node);
    return listener.exitCode;
}
