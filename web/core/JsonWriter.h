#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Builds JSON text for the page: objects, arrays, strings (UTF-8 as it is, control characters
// escaped), integers and booleans, with the commas placed for the caller.
class JsonWriter {
public:
    JsonWriter& BeginObject() { return Open('{'); }
    JsonWriter& EndObject() { return Close('}'); }
    JsonWriter& BeginArray() { return Open('['); }
    JsonWriter& EndArray() { return Close(']'); }
    JsonWriter& Key(std::string_view key)
    {
        String(key);
        text_ += ':';
        afterKey_ = true;
        return *this;
    }
    JsonWriter& String(std::string_view value);
    JsonWriter& Number(int64_t value)
    {
        Separate();
        text_ += std::to_string(value);
        return *this;
    }
    JsonWriter& Bool(bool value)
    {
        Separate();
        text_ += value ? "true" : "false";
        return *this;
    }

    const std::string& Text() const { return text_; }

private:
    JsonWriter& Open(char c)
    {
        Separate();
        text_ += c;
        first_.push_back(true);
        return *this;
    }
    JsonWriter& Close(char c)
    {
        text_ += c;
        first_.pop_back();
        return *this;
    }
    // A comma before every value but the first of its object or array, and none after a key.
    void Separate()
    {
        if (afterKey_) {
            afterKey_ = false;
            return;
        }
        if (!first_.empty()) {
            if (!first_.back()) text_ += ',';
            first_.back() = false;
        }
    }

    std::string text_;
    std::vector<bool> first_;
    bool afterKey_ = false;
};
