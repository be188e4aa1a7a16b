#!/usr/bin/perl
# ifo-swap-audio.pl VTS_nn_0.IFO A B
#
# Swaps the logical audio streams A and B (from 0) of a title set's titles: their attributes in
# the title set's table and their entries in the audio control table of every title program
# chain. The streams in the VOBs stay where they are, so afterwards logical stream A plays the
# stream that B did and the other way round: logical numbers no longer follow the stream ids,
# as on many authored discs. dvdauthor itself always gives logical stream n the stream id n.
# The file is rewritten in place (run it on the .BUP copy as well).
use strict;
use warnings;

die "usage: ifo-swap-audio.pl IFO A B\n" unless @ARGV == 3;
my ($file, $a, $b) = @ARGV;
die "streams are 0..7\n" unless $a =~ /^[0-7]$/ && $b =~ /^[0-7]$/ && $a != $b;

open(my $fh, '+<:raw', $file) or die "$file: $!\n";
my $data = do { local $/; <$fh> };
die "$file is not a title set's IFO\n" unless substr($data, 0, 12) eq 'DVDVIDEO-VTS';

use constant {
    SECTOR => 2048,
    PGCIT_SECTOR => 0xCC,      # title program chain table, in sectors from the file's start
    AUDIO_COUNT => 0x202,      # number of the titles' audio streams
    AUDIO_ATTR => 0x204,       # their attributes, 8 bytes each
    AUDIO_ATTR_BYTES => 8,
    PGC_AST_CTL => 0x0C,       # a program chain's audio control table, 8 x 2 bytes
};

my $streams = unpack('n', substr($data, AUDIO_COUNT, 2));
die "the titles have $streams audio streams\n" if $a >= $streams || $b >= $streams;

sub swap {
    my ($at_a, $at_b, $n) = @_;
    my $t = substr($data, $at_a, $n);
    substr($data, $at_a, $n) = substr($data, $at_b, $n);
    substr($data, $at_b, $n) = $t;
}

swap(AUDIO_ATTR + $a * AUDIO_ATTR_BYTES, AUDIO_ATTR + $b * AUDIO_ATTR_BYTES, AUDIO_ATTR_BYTES);

my $pgcit = unpack('N', substr($data, PGCIT_SECTOR, 4)) * SECTOR;
my $pgcs = unpack('n', substr($data, $pgcit, 2));
for my $i (0 .. $pgcs - 1) {
    my $pgc = $pgcit + unpack('N', substr($data, $pgcit + 8 + $i * 8 + 4, 4));
    swap($pgc + PGC_AST_CTL + $a * 2, $pgc + PGC_AST_CTL + $b * 2, 2);
}

seek($fh, 0, 0) or die "$file: $!\n";
print $fh $data or die "$file: $!\n";
close($fh) or die "$file: $!\n";
printf STDERR "ifo-swap-audio: logical audio %d and %d swapped in %d program chains of %s\n",
    $a, $b, $pgcs, $file;
