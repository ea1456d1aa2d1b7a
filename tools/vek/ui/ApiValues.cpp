// Definitions, search, single values, reading all values, the store command
// and the curves.
#include "RecordJson.hpp"
#include "Routes.hpp"

#include "../TextOut.hpp"

#include "VekLib.h"

#include <cstdlib>
#include <map>

namespace vektool::ui {

namespace {

constexpr uint16_t kDefaultThreshold = 70;
constexpr uint16_t kHighestThreshold = 100;
constexpr uint32_t kAllKinds = 0xFF;

Json Definitions(const std::string& kind) {
    Json list = Json::array();
    for (uint32_t i = 0; i < VekGetParDefNum(); ++i) {
        const ParDef& def = *VekGetParDefByIndex(i);
        if (kind.empty() || kind == KindOf(def.Id)) list.push_back(DefinitionJson(def));
    }
    return list;
}

// Every definition at least threshold percent like text, in index order.
Json Similar(const std::u16string& text, uint16_t threshold, const std::string& kind) {
    Json list = Json::array();
    for (uint32_t position = 0;; ++position) {
        const ParDef* def = VekFindParDefBySimilarity(AsVekText(text), position, threshold);
        if (!def) break;
        while (VekGetParDefByIndex(position) != def) ++position;
        if (!kind.empty() && kind != KindOf(def->Id)) continue;
        Json json = DefinitionJson(*def);
        json["similarity"] = VekStrSimilarity(def->Name, AsVekText(text));
        list.push_back(json);
    }
    return list;
}

Reply Search(const httplib::Request& request) {
    const std::string kind = request.get_param_value("kind");
    if (!kind.empty() && KindMask(kind) == 0) return ErrorReply("unknown kind '" + kind + "'", kBadRequest);
    if (request.has_param("name")) {
        const ParDef* def = VekFindParDefByName(AsVekText(FromUtf8(request.get_param_value("name"))),
                                                kind.empty() ? kAllKinds : KindMask(kind));
        return JsonReply(def ? Json::array({DefinitionJson(*def)}) : Json::array());
    }
    if (!request.has_param("similar")) return ErrorReply("give name=TEXT or similar=TEXT", kBadRequest);
    uint16_t threshold = kDefaultThreshold;
    if (request.has_param("threshold")) {
        const std::optional<uint32_t> value = ParseNumber(request.get_param_value("threshold"));
        if (!value || *value > kHighestThreshold) return ErrorReply("threshold: 0 to 100 percent", kBadRequest);
        threshold = static_cast<uint16_t>(*value);
    }
    return JsonReply(Similar(FromUtf8(request.get_param_value("similar")), threshold, kind));
}

// The group read of one kind, or all of them.
int32_t ReadValues(const std::string& kind) {
    if (kind == "parameters") return VekReadParameterValues();
    if (kind == "measurements") return VekReadMeasurementValues();
    if (kind == "functions") return VekReadFunctionValues();
    if (kind == "curves") return VekReadCurveValues();
    return VekReadAllValues();
}

Json ValueJson(const ParDef& def) {
    return {{"number", +def.Id},
            {"name", ToUtf8(def.Name)},
            {"text", ValueText(def.Id)},
            {"unit", ToUtf8(def.Unit)},
            {"raw", +def.RawValue}};
}

Reply ReadOne(Governor& governor, uint32_t id) {
    const ParDef* def = VekGetParDef(id);
    if (!def) return ErrorReply("no definition numbered " + std::to_string(id), kNotFound);
    if (!VekReadRawValue(id)) return governor.Refused("the governor did not answer");
    return JsonReply(ValueJson(*def));
}

Reply WriteOne(Governor& governor, uint32_t id, const std::string& text) {
    const ParDef* def = VekGetParDef(id);
    if (!def) return ErrorReply("no definition numbered " + std::to_string(id), kNotFound);
    if (!VekSetValue(id, AsVekText(FromUtf8(text)))) {
        Reply refused = governor.Refused("the value was refused");
        VekReadRawValue(id);  // the held value is the governor's again
        return refused;
    }
    return ReadOne(governor, id);
}

// Curves: the arrays among the numbers 6000-9999, each with its elements.
Json Curves() {
    std::map<std::string, Json> curves;
    Json order = Json::array();
    for (uint32_t i = 0; i < VekGetParDefNum(); ++i) {
        const ParDef& def = *VekGetParDefByIndex(i);
        if (std::string(KindOf(def.Id)) != "curves") continue;
        std::string name = ToUtf8(def.Name);
        name = name.substr(0, name.find('('));
        if (!curves.count(name)) {
            curves[name] = {{"name", name}, {"unit", ToUtf8(def.Unit)}, {"elements", Json::array()}};
            order.push_back(name);
        }
        curves[name]["elements"].push_back(DefinitionJson(def));
    }
    Json list = Json::array();
    for (const Json& name : order) list.push_back(curves[name.get<std::string>()]);
    return list;
}

}  // namespace

void AddValueApi(httplib::Server& server, ConsoleParts& parts) {
    Governor& governor = parts.governor;
    server.Get("/api/definitions", [&](const httplib::Request& request, httplib::Response& response) {
        const std::string kind = request.get_param_value("kind");
        if (!kind.empty() && KindMask(kind) == 0) return Send(response, ErrorReply("unknown kind", kBadRequest));
        Send(response, governor.CallConnected([&] { return JsonReply(Definitions(kind)); }));
    });
    server.Get("/api/search", [&](const httplib::Request& request, httplib::Response& response) {
        Send(response, governor.CallConnected([&] { return Search(request); }));
    });
    server.Get(R"(/api/values/(\d+))", [&](const httplib::Request& request, httplib::Response& response) {
        const std::optional<uint32_t> id = ParseNumber(request.matches[1]);
        if (!id) return Send(response, ErrorReply("no such number", kNotFound));
        Send(response, governor.CallConnected([&] { return ReadOne(governor, *id); }));
    });
    server.Post(R"(/api/values/(\d+))", [&](const httplib::Request& request, httplib::Response& response) {
        const std::optional<uint32_t> id = ParseNumber(request.matches[1]);
        const Json body = BodyJson(request);
        if (!id) return Send(response, ErrorReply("no such number", kNotFound));
        if (!body.is_object() || !body.contains("text") || !body["text"].is_string()) {
            return Send(response, ErrorReply("send {\"text\": \"VALUE\"}", kBadRequest));
        }
        const std::string text = body["text"];
        Send(response, governor.CallConnected([&] { return WriteOne(governor, *id, text); }));
    });
    server.Post("/api/values/read", [&](const httplib::Request& request, httplib::Response& response) {
        const std::string kind = request.get_param_value("kind");
        Send(response, governor.CallConnected([&] {
            return governor.WithProgress("Reading the values", [&] {
                if (ReadValues(kind) != 0) return governor.Refused("the values could not be read");
                return JsonReply(Definitions(kind));
            });
        }));
    });
    server.Post("/api/store", [&](const httplib::Request&, httplib::Response& response) {
        Send(response, governor.CallConnected([&] {
            return VekStore() ? JsonReply(Json{{"stored", true}}) : governor.Refused("the governor did not store");
        }));
    });
    server.Get("/api/curves", [&](const httplib::Request&, httplib::Response& response) {
        Send(response, governor.CallConnected([&] { return JsonReply(Curves()); }));
    });
}

}  // namespace vektool::ui
