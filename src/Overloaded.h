#pragma once
// One visitor from several lambdas, for std::visit over a record's field kinds.

template <class... Fs> struct Overloaded : Fs...
{
    using Fs::operator()...;
};

// Spelled out for compilers without aggregate deduction (clang before 17).
template <class... Fs> Overloaded(Fs...) -> Overloaded<Fs...>;
