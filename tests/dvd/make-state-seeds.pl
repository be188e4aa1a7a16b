#!/usr/bin/perl
# Writes the seeds of the DVD state fuzz target into the folder given: bookmark stream
# contents (the state's class identifier, then its saved form) for places in each domain, in
# the current saved form (version 2, with the title set) and the first (version 1, without).
use strict;
use warnings;
no warnings "portable";  # the 64-bit disc identities

my $dir = shift or die "usage: $0 FOLDER\n";
mkdir $dir unless -d $dir;

# {4B56F0E1-6A1E-4C2B-9D3A-510E7F21C4E1} as the platform writes a class identifier.
my $clsid = pack('VvvC8', 0x4B56F0E1, 0x6A1E, 0x4C2B, 0x9D, 0x3A, 0x51, 0x0E, 0x7F, 0x21, 0xC4, 0xE1);

sub fnv1a {
  my $h = 2166136261;
  for my $b (unpack('C*', shift)) {
    $h ^= $b;
    $h = ($h * 16777619) % 4294967296;
  }
  return $h;
}

# version, disc, domain, audio, subpicture, flags, title, chapter, time (90 kHz), angle,
# title set
my @places = (
  [2, 0x0123456789ABCDEF, 4, 1, 1, 1, 1, 2, 6 * 90000, 1, 1],
  [2, 0xFFFFFFFFFFFFFFFF, 4, 7, 31, 0, 99, 999, 255 * 3600 * 90000, 9, 99],
  [2, 1, 2, 0, 0, 0, 0, 0, 0, 1, 0],
  [2, 2, 3, 0, 0, 1, 0, 0, 0, 1, 2],
  [1, 0x0123456789ABCDEF, 4, 1, 1, 1, 1, 2, 6 * 90000, 1, 0],
  [1, 2, 3, 0, 0, 1, 0, 0, 0, 1, 0],
);
my $n = 0;
for my $p (@places) {
  my ($version, $disc, $domain, $audio, $spu, $flags, $title, $chapter, $time, $angle, $set) = @$p;
  my $body = 'KDVS' . pack('vv', $version, 36) . pack('Q<CCCCvvQ<CCCCV', $disc, $domain, $audio, $spu,
                                                $flags, $title, $chapter, $time, $angle, $set, 0, 0, 0);
  $body .= pack('V', fnv1a($body));
  $n++;
  open(my $out, '>:raw', "$dir/seed-$n") or die "$dir/seed-$n: $!\n";
  print $out $clsid . $body;
  close($out) or die "$dir/seed-$n: $!\n";
}
