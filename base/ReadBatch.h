// While a ReadBatch lives, what the program reads from outside and what a
// batch of work asks for again and again (the settings files, the monitors'
// work areas) is read once, at its first asking, and every later asking is
// answered from that reading: memo windows restored by the hundred would
// otherwise each wait out a settings file held by another program, and each
// asking of the monitors costs Wine several server calls. One thread; a batch
// inside a batch only joins it.
#pragma once
#include <optional>

class ReadBatch {
public:
    ReadBatch() {
        if (depth()++ == 0) ++serial();  // each batch reads afresh
    }
    ~ReadBatch() { --depth(); }
    ReadBatch(const ReadBatch&) = delete;
    ReadBatch& operator=(const ReadBatch&) = delete;

    // One reading: `read()` outside a batch, once per batch within one.
    template <class T>
    class Once {
    public:
        template <class Read>
        const T& get(Read&& read) {
            if (depth() == 0 || !value_ || serial_ != serial()) {
                value_ = read();
                serial_ = serial();
            }
            return *value_;
        }

    private:
        std::optional<T> value_;
        unsigned serial_ = 0;
    };

private:
    static unsigned& depth() {
        static unsigned value = 0;
        return value;
    }
    static unsigned& serial() {
        static unsigned value = 0;
        return value;
    }
};
