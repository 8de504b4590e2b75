// The classes of the base game that maps use most, for when no definition
// file is chosen or found: written here as FGD and read by the FGD reader.
#include "defs/entity_defs.h"

namespace {

constexpr const char* BUILTIN_FGD = R"fgd(
// Keys many classes share.
@BaseClass = Targetname [ targetname(target_source) : "Name" : : "The name that target keys of other entities use." ]
@BaseClass = Target [
  target(target_destination) : "Target" : : "The entity this one fires, by its targetname."
  killtarget(target_destination) : "Kill target" : : "The entity this one removes when fired."
  delay(float) : "Delay" : 0 : "Seconds before the targets are fired."
  message(string) : "Message" : : "Text shown when fired."
]
@BaseClass = Angle [ angle(integer) : "Angle" : 0 : "Facing in degrees; -1 is up, -2 down." ]
@BaseClass = Skill [
  spawnflags(flags) = [
    256 : "Not in easy" : 0
    512 : "Not in normal" : 0
    1024 : "Not in hard" : 0
    2048 : "Not in deathmatch" : 0
  ]
]
@BaseClass base(Angle, Targetname, Target, Skill) = Monster [
  spawnflags(flags) = [ 1 : "Ambush" : 0 ]
]
@BaseClass size(0 0 0, 32 32 32) color(80 0 200) base(Target, Skill) = Item []
@BaseClass size(-16 -16 0, 16 16 32) color(0 0 200) base(Target, Skill) = Weapon []
@BaseClass base(Targetname, Target) = Trigger [
  sounds(choices) : "Sound" : 0 = [ 0 : "None" 1 : "Secret" 2 : "Beep" 3 : "Large switch" ]
]
@BaseClass base(Targetname) color(255 255 40) size(-8 -8 -8, 8 8 8) = Light [
  light(integer) : "Brightness" : 300 : "How bright the light is."
  style(choices) : "Appearance" : 0 = [
    0 : "Normal" 1 : "Flicker A" 2 : "Slow strong pulse" 3 : "Candle A" 4 : "Fast strobe"
    5 : "Gentle pulse" 6 : "Flicker B" 7 : "Candle B" 8 : "Candle C" 9 : "Slow strobe"
    10 : "Fluorescent flicker" 11 : "Slow pulse, no black"
  ]
  spawnflags(flags) = [ 1 : "Start off" : 0 ]
]

@SolidClass = worldspawn : "The world" [
  message(string) : "Level name"
  wad(string) : "Texture WADs" : : "WAD files, separated by ;"
  sounds(integer) : "CD track" : 0
  worldtype(choices) : "Ambience" : 0 = [ 0 : "Medieval" 1 : "Metal" 2 : "Base" ]
]

@PointClass size(-16 -16 -24, 16 16 32) color(0 255 0) base(Angle) = info_player_start : "Player start" []
@PointClass size(-16 -16 -24, 16 16 32) color(0 255 0) base(Angle) = info_player_start2 : "Start after an episode" []
@PointClass size(-16 -16 -24, 16 16 32) color(0 255 0) base(Angle) = info_player_deathmatch : "Deathmatch start" []
@PointClass size(-16 -16 -24, 16 16 32) color(0 255 0) base(Angle) = info_player_coop : "Cooperative start" []
@PointClass size(-16 -16 -16, 16 16 16) color(255 128 0) base(Angle) = info_intermission : "Intermission camera" [
  mangle(string) : "Pitch yaw roll"
]
@PointClass size(-8 -8 -8, 8 8 8) color(0 128 0) base(Targetname) = info_null : "Removed on load" []
@PointClass size(-8 -8 -8, 8 8 8) color(0 128 0) base(Targetname) = info_notnull : "Kept, for targets" []
@PointClass size(-8 -8 -8, 8 8 8) color(200 150 150) base(Angle, Targetname) = info_teleport_destination : "Teleport destination" []
@PointClass size(-8 -8 -8, 8 8 8) color(128 64 0) base(Targetname) = path_corner : "Path of trains and monsters" [
  target(target_destination) : "Next corner"
  wait(integer) : "Wait" : 0
]

@PointClass base(Light) = light : "Invisible light" []
@PointClass base(Light) = light_fluoro : "Fluorescent light, humming" []
@PointClass base(Light) = light_fluorospark : "Sparking fluorescent light" []
@PointClass base(Light) = light_globe : "Globe light" []
@PointClass base(Light) size(-10 -10 -40, 10 10 40) = light_torch_small_walltorch : "Wall torch" []
@PointClass base(Light) size(-10 -10 -12, 12 12 18) = light_flame_large_yellow : "Large yellow flame" []
@PointClass base(Light) size(-10 -10 -12, 12 12 18) = light_flame_small_yellow : "Small yellow flame" []
@PointClass base(Light) size(-10 -10 -12, 12 12 18) = light_flame_small_white : "Small white flame" []

@PointClass size(-16 -16 -24, 16 16 40) color(220 0 0) base(Monster) = monster_army : "Grunt" []
@PointClass size(-32 -32 -24, 32 32 40) color(220 0 0) base(Monster) = monster_dog : "Rottweiler" []
@PointClass size(-32 -32 -24, 32 32 64) color(220 0 0) base(Monster) = monster_ogre : "Ogre" []
@PointClass size(-16 -16 -24, 16 16 40) color(220 0 0) base(Monster) = monster_knight : "Knight" []
@PointClass size(-16 -16 -24, 16 16 40) color(220 0 0) base(Monster) = monster_hell_knight : "Death knight" []
@PointClass size(-16 -16 -24, 16 16 32) color(220 0 0) base(Monster) = monster_zombie : "Zombie" [
  spawnflags(flags) = [ 1 : "Crucified" : 0 2 : "Ambush" : 0 ]
]
@PointClass size(-16 -16 -24, 16 16 40) color(220 0 0) base(Monster) = monster_wizard : "Scrag" []
@PointClass size(-32 -32 -24, 32 32 64) color(220 0 0) base(Monster) = monster_demon1 : "Fiend" []
@PointClass size(-32 -32 -24, 32 32 64) color(220 0 0) base(Monster) = monster_shambler : "Shambler" []
@PointClass size(-32 -32 -24, 32 32 48) color(220 0 0) base(Monster) = monster_shalrath : "Vore" []
@PointClass size(-16 -16 -24, 16 16 40) color(220 0 0) base(Monster) = monster_enforcer : "Enforcer" []
@PointClass size(-16 -16 -24, 16 16 24) color(220 0 0) base(Monster) = monster_tarbaby : "Spawn" []
@PointClass size(-16 -16 -24, 16 16 24) color(220 0 0) base(Monster) = monster_fish : "Rotfish" []
@PointClass size(-128 -128 -24, 128 128 256) color(220 0 0) base(Monster) = monster_boss : "Chthon" []

@PointClass base(Item) = item_health : "Health" [
  spawnflags(flags) = [ 1 : "Rotten (15)" : 0 2 : "Megahealth" : 0 ]
]
@PointClass base(Item) = item_armor1 : "Green armour" []
@PointClass base(Item) = item_armor2 : "Yellow armour" []
@PointClass base(Item) = item_armorInv : "Red armour" []
@PointClass base(Item) = item_shells : "Shells" [ spawnflags(flags) = [ 1 : "Large" : 0 ] ]
@PointClass base(Item) = item_spikes : "Nails" [ spawnflags(flags) = [ 1 : "Large" : 0 ] ]
@PointClass base(Item) = item_rockets : "Rockets" [ spawnflags(flags) = [ 1 : "Large" : 0 ] ]
@PointClass base(Item) = item_cells : "Cells" [ spawnflags(flags) = [ 1 : "Large" : 0 ] ]
@PointClass base(Item) = item_artifact_super_damage : "Quad damage" []
@PointClass base(Item) = item_artifact_invulnerability : "Pentagram of protection" []
@PointClass base(Item) = item_artifact_invisibility : "Ring of shadows" []
@PointClass base(Item) = item_artifact_envirosuit : "Biosuit" []
@PointClass base(Item) = item_key1 : "Silver key" []
@PointClass base(Item) = item_key2 : "Gold key" []
@PointClass base(Item) = item_sigil : "Rune" [
  spawnflags(flags) = [ 1 : "Episode 1" : 0 2 : "Episode 2" : 0 4 : "Episode 3" : 0 8 : "Episode 4" : 0 ]
]
@PointClass base(Weapon) = weapon_supershotgun : "Double-barrelled shotgun" []
@PointClass base(Weapon) = weapon_nailgun : "Nailgun" []
@PointClass base(Weapon) = weapon_supernailgun : "Perforator" []
@PointClass base(Weapon) = weapon_grenadelauncher : "Grenade launcher" []
@PointClass base(Weapon) = weapon_rocketlauncher : "Rocket launcher" []
@PointClass base(Weapon) = weapon_lightning : "Thunderbolt" []

@PointClass size(0 0 0, 32 32 64) color(0 128 128) base(Skill) = misc_explobox : "Large exploding box" []
@PointClass size(0 0 0, 32 32 32) color(0 128 128) base(Skill) = misc_explobox2 : "Small exploding box" []
@PointClass size(-8 -8 -8, 8 8 8) color(0 128 128) = misc_fireball : "Lava fireballs" [ speed(integer) : "Speed" : 1000 ]
@PointClass size(-8 -8 -8, 8 8 8) color(150 150 150) = ambient_drip : "Dripping sound" []
@PointClass size(-8 -8 -8, 8 8 8) color(150 150 150) = ambient_drone : "Engine sound" []
@PointClass size(-8 -8 -8, 8 8 8) color(150 150 150) = ambient_comp_hum : "Computer sound" []
@PointClass size(-8 -8 -8, 8 8 8) color(150 150 150) = ambient_swamp1 : "Frogs" []
@PointClass size(-8 -8 -8, 8 8 8) color(150 150 150) = ambient_suck_wind : "Wind" []

@SolidClass base(Angle, Targetname, Target) = func_door : "Door" [
  speed(integer) : "Speed" : 100
  wait(integer) : "Seconds before closing, -1 never" : 3
  lip(integer) : "Lip" : 8 : "How much of the door stays showing when open."
  dmg(integer) : "Damage when blocked" : 2
  health(integer) : "Health, if it opens when shot" : 0
  sounds(choices) : "Sound" : 0 = [ 0 : "None" 1 : "Stone" 2 : "Machine" 3 : "Stone chain" 4 : "Screechy metal" ]
  spawnflags(flags) = [ 1 : "Starts open" : 0 4 : "Don't link" : 0 8 : "Gold key" : 0 16 : "Silver key" : 0 32 : "Toggle" : 0 ]
]
@SolidClass base(Angle, Targetname, Target) = func_door_secret : "Secret door" [
  wait(integer) : "Seconds before closing" : 2
  spawnflags(flags) = [ 1 : "Open once" : 0 2 : "First left" : 0 4 : "First down" : 0 8 : "No shoot" : 0 16 : "Always shoot" : 0 ]
]
@SolidClass base(Angle, Targetname, Target) = func_button : "Button" [
  speed(integer) : "Speed" : 40
  wait(integer) : "Seconds before it comes back, -1 never" : 1
  lip(integer) : "Lip" : 4
  health(integer) : "Health, if it is pushed by shots" : 0
]
@SolidClass base(Targetname) = func_plat : "Lift" [
  height(integer) : "Travel, when not its own height" : 0
  speed(integer) : "Speed" : 150
  spawnflags(flags) = [ 1 : "Low trigger" : 0 ]
]
@SolidClass base(Targetname) = func_train : "Moving platform" [
  target(target_destination) : "First path corner"
  speed(integer) : "Speed" : 100
  dmg(integer) : "Damage when blocked" : 2
]
@SolidClass = func_wall : "Wall that can be shown or hidden" []
@SolidClass = func_illusionary : "Wall that can be walked through" []
@SolidClass = func_episodegate : "Episode gate" []
@SolidClass = func_bossgate : "Boss gate" []
@SolidClass base(Trigger) = trigger_once : "Fires once" [ health(integer) : "Health, if shot" : 0 ]
@SolidClass base(Trigger) = trigger_multiple : "Fires again and again" [
  wait(float) : "Seconds between firings" : 0.2
  health(integer) : "Health, if shot" : 0
]
@SolidClass base(Trigger) = trigger_secret : "Secret found" []
@SolidClass base(Targetname) = trigger_teleport : "Teleporter" [
  target(target_destination) : "Destination"
  spawnflags(flags) = [ 1 : "Player only" : 0 2 : "Silent" : 0 ]
]
@SolidClass = trigger_changelevel : "Next level" [
  map(string) : "Map name"
  spawnflags(flags) = [ 1 : "No intermission" : 0 ]
]
@SolidClass base(Targetname) = trigger_push : "Push" [ speed(integer) : "Speed" : 1000 ]
@SolidClass base(Targetname) = trigger_hurt : "Hurts" [ dmg(integer) : "Damage" : 5 ]
@SolidClass = trigger_monsterjump : "Monster jump" [
  speed(integer) : "Forward speed" : 200
  height(integer) : "Jump height" : 200
]
@SolidClass base(Targetname, Target) = trigger_counter : "Counter" [ count(integer) : "Count" : 2 ]
@PointClass size(-8 -8 -8, 8 8 8) color(128 128 128) base(Targetname, Target) = trigger_relay : "Relay" []
@SolidClass base(Targetname, Target) = trigger_setskill : "Sets the skill" [ message(string) : "Skill, 0 to 3" ]
)fgd";

}  // namespace

const entity_defs& builtin_defs() {
  static const entity_defs defs = [] {
    entity_defs d;
    read_fgd(BUILTIN_FGD, "built-in", d);
    resolve_bases(d);
    return d;
  }();
  return defs;
}
